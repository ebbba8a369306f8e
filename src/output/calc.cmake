# The spreadsheet application on Linux: LibreOffice Calc, fed an .xlsx
# written with libxlsxwriter.
add_library(tovrik_calc STATIC
    ${CMAKE_CURRENT_LIST_DIR}/spreadsheet.h
    ${CMAKE_CURRENT_LIST_DIR}/calcbackend.h
    ${CMAKE_CURRENT_LIST_DIR}/calcbackend.cpp)
target_include_directories(tovrik_calc PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tovrik_calc PUBLIC Qt6::Core tovrik_shell PRIVATE PkgConfig::XLSXWRITER)
