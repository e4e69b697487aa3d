# The interpreter benchmark compiles its script with our compiler and runs the same
# algorithm in Lua 5.4, linked in-process, as its peer.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LUA REQUIRED IMPORTED_TARGET lua5.4)
target_link_libraries(bench_interp PRIVATE script_compiler PkgConfig::LUA)
