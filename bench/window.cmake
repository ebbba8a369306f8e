# The window's commands on big lists, offscreen; keys and pastes through QTest.
find_package(Qt6 REQUIRED COMPONENTS Test)
tovrik_add_bench(bench_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_window.cpp
                 LIBS tovrik_ui Qt6::Test)
target_include_directories(bench_window PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
