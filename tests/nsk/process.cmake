# Tests of nsk_process.
keymend_test(nsk_process_test
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/command_line_test.cc
    ${CMAKE_CURRENT_SOURCE_DIR}/file_table_test.cc
    ${CMAKE_CURRENT_SOURCE_DIR}/platform_test.cc
    ${CMAKE_CURRENT_SOURCE_DIR}/startup_message_test.cc
    ${CMAKE_CURRENT_SOURCE_DIR}/system_info_test.cc
    ${CMAKE_CURRENT_SOURCE_DIR}/terminal_test.cc
  LIBS nsk_process)
