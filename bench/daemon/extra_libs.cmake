# The install benchmark drives the stand-in daemon's installer in-process.
target_link_libraries(bench_daemon PRIVATE daemon)
