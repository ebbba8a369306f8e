# The splitting engine on a 10 MB message.
tovrik_add_bench(bench_cutter SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_cutter.cpp
                 LIBS tovrik_commands)
tovrik_add_bench(bench_split_command SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_split_command.cpp
                 LIBS tovrik_commands)
target_include_directories(bench_split_command PRIVATE ${PROJECT_SOURCE_DIR}/src/output
                           ${PROJECT_SOURCE_DIR}/tests/common)
