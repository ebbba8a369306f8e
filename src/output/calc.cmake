# The spreadsheet application on Linux: LibreOffice Calc, fed an .xlsx
# written with libxlsxwriter.
add_library(tovrik_calc STATIC
    ${PROJECT_SOURCE_DIR}/src/shell/spreadsheet.h
    ${CMAKE_CURRENT_LIST_DIR}/calcbackend.h
    ${CMAKE_CURRENT_LIST_DIR}/calcbackend.cpp)
target_include_directories(tovrik_calc PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tovrik_calc PUBLIC Qt6::Core tovrik_shell PRIVATE PkgConfig::XLSXWRITER)
