# Tests of the settings files: the profile file, phone.dat and ip.dat.
emu_plain_test(directory_files_test
  SOURCES ProfileFileTest.cpp PhoneBookTest.cpp IpBookTest.cpp
  LIBS emu_directory_files
  LABELS directory)
target_compile_definitions(directory_files_test PRIVATE
  EMU_FIXTURE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fixtures")
