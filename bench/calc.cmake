tovrik_add_bench(bench_calc
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_calc.cpp
    LIBS tovrik_calc)
