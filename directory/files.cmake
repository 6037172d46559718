add_library(emu_directory_files STATIC PhoneBook.cpp IpBook.cpp)
emu_headers(emu_directory_files directory)
target_link_libraries(emu_directory_files PUBLIC emu_base)
