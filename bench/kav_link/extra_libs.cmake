# The daemon link benchmark runs the stand-in daemon in-process as its peer.
target_link_libraries(bench_kav_link PRIVATE daemon)
