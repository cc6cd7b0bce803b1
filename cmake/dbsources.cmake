# The portable database code, built natively (tests, fuzz targets, dbsql) as
# well as into the runtime: the storage engine (with the value and condition
# helpers it shares with the SQL layer) and the SQL layer's core.
set(DB_RUNTIME_DIR ${CMAKE_SOURCE_DIR}/runtime)
set(DBENGINE_SOURCES)
foreach(unit dbvalue condition dbstatus pager btree record schema rows embedded tablecursor
        schemacursor check)
  list(APPEND DBENGINE_SOURCES ${DB_RUNTIME_DIR}/dbengine/${unit}.cpp)
endforeach()
# Native builds add the POSIX file table; the runtime has its own over Win32.
set(DBENGINE_NATIVE_SOURCES ${DBENGINE_SOURCES} ${DB_RUNTIME_DIR}/dbengine/posixfile.cpp)
set(SQL_SOURCES)
foreach(unit sqlarena sqltoken sqlparse sqlddl sqldml sqlquery sqlschema sqlselect sqlrow sqlrowset sqlsort
        sqlgroup sqlexec)
  list(APPEND SQL_SOURCES ${DB_RUNTIME_DIR}/database/${unit}.cpp)
endforeach()
