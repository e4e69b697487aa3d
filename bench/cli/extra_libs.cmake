# The whole-process benchmark runs the installed tool: it needs the installation tree built.
add_dependencies(bench_cli dist)
target_compile_definitions(bench_cli PRIVATE KODRIN_DIST="${KODRIN_DIST}")
