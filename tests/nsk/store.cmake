# tests of nsk_names and nsk_store
find_package(SQLite3 REQUIRED)
keymend_test(names_test SOURCES names_test.cc LIBS nsk_names)
keymend_test(catalog_test SOURCES catalog_test.cc LIBS nsk_store SQLite::SQLite3)
keymend_test(search_test SOURCES search_test.cc LIBS nsk_store)
keymend_test(labels_test SOURCES labels_test.cc LIBS nsk_store SQLite::SQLite3)
keymend_test(host_errors_test SOURCES host_errors_test.cc LIBS nsk_store SQLite::SQLite3)
