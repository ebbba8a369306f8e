# tovrik-split's record path over 1,000,000 short messages.
tovrik_add_bench(bench_records SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_records.cpp
                 LIBS tovrik_cli Qt6::Core)
