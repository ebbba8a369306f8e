tovrik_add_test(tst_calcbackend
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_calcbackend.cpp
    LIBS tovrik_calc)
