# tests of nsk_names and nsk_store
keymend_test(names_test SOURCES names_test.cc LIBS nsk_names)
