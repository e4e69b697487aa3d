# The verifier benchmark compiles its library with our compiler and loads it with the runtime.
target_link_libraries(bench_verify PRIVATE script_compiler script_runtime)
