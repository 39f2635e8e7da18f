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

# The launcher end to end, through a probe program of its own.
add_executable(launcher_probe ${CMAKE_CURRENT_SOURCE_DIR}/launcher_probe.cc)
target_link_libraries(launcher_probe PRIVATE nsk_process)
keymend_test(nsk_launcher_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/launcher_test.cc
  LIBS nsk_process)
add_dependencies(nsk_launcher_test launcher_probe)
