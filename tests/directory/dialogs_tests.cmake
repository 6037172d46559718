# Tests of the settings and directory dialogs: their rules without widgets, and
# the dialogs themselves driven headless.
emu_plain_test(directory_dialog_logic_test
  SOURCES DialogLogicTest.cpp
  LIBS emu_directory_logic
  LABELS directory)

emu_widget_test(directory_settings_dialogs_test
  SOURCES SettingsDialogsTest.cpp DialogTestSupport.h
  LIBS emu_directory
  LABELS directory)
emu_widget_test(directory_book_dialogs_test
  SOURCES BookDialogsTest.cpp DialogTestSupport.h
  LIBS emu_directory
  LABELS directory)
