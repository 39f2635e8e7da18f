# nsk_process: the process side of the platform -- startup message, launcher,
# terminal and OUT files, BREAK, process end, system information, and the
# class that puts it all behind sys::Guardian.
add_library(nsk_process
  break_key.cc
  command_line.cc
  file_table.cc
  launcher.cc
  name_parts.cc
  platform.cc
  record_file.cc
  startup_message.cc
  system_info.cc
  terminal.cc
)
target_include_directories(nsk_process PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(nsk_process PUBLIC nsk_store nsk_names keymend_sys)
