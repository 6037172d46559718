add_library(emu_directory_files STATIC ProfileFile.cpp LeadingNumber.cpp PhoneBook.cpp IpBook.cpp)
target_link_libraries(emu_directory_files PUBLIC emu_serial)
