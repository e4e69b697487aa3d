# The LZSS benchmark measures zlib in the same run as its peer.
find_package(ZLIB REQUIRED)
target_link_libraries(bench_lzss PRIVATE ZLIB::ZLIB)
