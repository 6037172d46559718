# The settings and directory dialogs (Qt).
add_library(emu_directory STATIC
  DialogHelpers.cpp
  DialSettingsDialog.cpp
  FileFaultText.cpp
  IpBookDialog.cpp
  IpEntryDialog.cpp
  LocalPortSettingsDialog.cpp
  LoginDialog.cpp
  PhoneBookDialog.cpp
  PhoneEntryDialog.cpp
  PortNumberDialog.cpp
  RemotePortSettingsDialog.cpp
  UserPrompts.cpp)
emu_headers(emu_directory directory)
target_link_libraries(emu_directory PUBLIC emu_directory_logic emu_directory_files emu_base_qt Qt6::Widgets)
