# The Qt-free rules the settings and directory dialogs apply.
add_library(emu_directory_logic STATIC
  BookEditing.cpp
  EntryChecks.cpp
  ListChoice.cpp
  LocalPortForm.cpp
  PortStatusText.cpp)
emu_headers(emu_directory_logic directory)
target_link_libraries(emu_directory_logic PUBLIC emu_directory_files emu_base)

