// Data sources offered by plug-ins: kinds of source (routine tables), the
// named sources of each kind, the names design tools list, and opening a
// source into a Database object.
#pragma once
#include "karuplugin.h"
#include "objects/objects.h"
#include "text/string.h"

// The Database of the source of that name (a new reference), or nil when no
// source has the name or its kind cannot open it.
Object *datasource_open(RString *name);
int32_t datasource_design_count();        // names DesignAddDataSource listed
RString *datasource_design_name(int32_t i); // the i-th (0-based), not retained; nil past the end
void datasources_reset();                 // forgets every kind, source and listed name

extern "C" {
int32_t RegisterDataSourceInterface(const KARUDataSourceInterface *face);
int32_t RegisterDataSource(const char *kind, const char *sourceName, void *sourceData);
void DesignAddDataSource(const char *sourceName);
}
