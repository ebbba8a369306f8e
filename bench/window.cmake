# The window's commands on big lists, offscreen.
tovrik_add_bench(bench_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_window.cpp
                 LIBS tovrik_ui)
target_include_directories(bench_window PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
