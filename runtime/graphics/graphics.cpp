// The Graphics object: making one bound to a drawing target, detaching it
// when the target goes, and its release.
#include "graphics/drawing.h"
#include "objects/registry.h"
#include <cstdlib>

constexpr int32_t kDefaultPen = 1;

static void bind(DrawPort *port, DrawTarget *target) {
  port->target = target;
  port->nextOnTarget = target->ports;
  target->ports = port;
}

// Inside the drawing lock: a port is never unbound while it draws.
static void unbind(DrawPort *port) {
  DrawTarget *target = port->target;
  if (!target) return;
  draw_release_if_current(port);
  for (DrawPort **link = &target->ports; *link; link = &(*link)->nextOnTarget)
    if (*link == port) {
      *link = port->nextOnTarget;
      break;
    }
  port->target = nullptr;
  port->nextOnTarget = nullptr;
}

GraphicsObject *graphics_new(DrawTarget *target, int32_t offsetX, int32_t offsetY) {
  ClassDef *cls = registry_find("Graphics");
  if (!cls) return nullptr;
  GraphicsObject *g = (GraphicsObject *)CreateInstance(cls);
  DrawPort *port = (DrawPort *)calloc(1, sizeof(DrawPort));
  if (!port) return g; /* a Graphics without a port draws nothing */
  port->penWidth = port->penHeight = kDefaultPen;
  port->offsetX = offsetX;
  port->offsetY = offsetY;
  if (target) {
    draw_lock();
    bind(port, target);
    draw_unlock();
  }
  g->port = port;
  return g;
}

void graphics_detach(GraphicsObject *g) {
  if (!g || !g->port) return;
  draw_lock();
  unbind(g->port);
  draw_unlock();
}

void graphics_detach_all(DrawTarget *target) {
  draw_lock();
  while (target->ports) unbind(target->ports);
  draw_unlock();
}

static void destroyGraphics(Object *o, ClassDef *) {
  GraphicsObject *g = (GraphicsObject *)o;
  if (!g->port) return;
  draw_lock();
  DrawTarget *target = g->port->target;
  unbind(g->port);
  draw_unlock();
  if (target && target->kind->job) target->kind->job->close(target); /* ends the document */
  if (g->port->font) DeleteObject(g->port->font);
  if (g->port->pen) DeleteObject(g->port->pen);
  if (g->port->clip) DeleteObject(g->port->clip);
  RuntimeUnlockString(g->port->fontName);
  free(g->port);
  g->port = nullptr;
}

void graphics_classes_attach() {
  if (ClassDef *cls = registry_find("Graphics")) cls->destructor = destroyGraphics;
}
