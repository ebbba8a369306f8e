tovrik_add_test(tst_calcbackend
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_calcbackend.cpp
    LIBS tovrik_calc)
# Qt's zip reader, to read the workbook written.
target_link_libraries(tst_calcbackend PRIVATE Qt6::GuiPrivate)
