# nsk_store: the node's SQLite store -- catalog, file-name search, labels,
# and the one table of host errors.
find_package(SQLite3 REQUIRED)
add_library(nsk_store
  catalog.cc
  fault.cc
  fault_vfs.cc
  host_errors.cc
  labels.cc
  lock_wait.cc
  pattern.cc
  search.cc
  sql.cc
)
target_include_directories(nsk_store PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(nsk_store PUBLIC nsk_names PRIVATE SQLite::SQLite3)
