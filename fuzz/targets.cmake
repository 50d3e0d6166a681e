# Every fuzz target, one line each; both the libFuzzer build (fuzz/CMakeLists.txt) and the ordinary
# build, which replays the target's corpus under CTest (tests/core), read this list.
#   qh_add_fuzz_target(name source LIBS core libraries... [CORPUS folder] [MAX_LEN bytes])
# The corpus is fuzz/corpus/<folder>, by default the name without "fuzz_"; MAX_LEN (default 4096)
# bounds the inputs of a fuzzing run.
qh_add_fuzz_target(fuzz_settingsfile fuzz_settingsfile.cpp LIBS qh_toolcore CORPUS settings)
qh_add_fuzz_target(fuzz_calldatagram fuzz_calldatagram.cpp LIBS qh_mastercore CORPUS calls MAX_LEN 512)
qh_add_fuzz_target(fuzz_childdatagram fuzz_childdatagram.cpp LIBS qh_core CORPUS childdatagrams MAX_LEN 2048)
qh_add_fuzz_target(fuzz_pagerule fuzz_pagerule.cpp LIBS qh_core MAX_LEN 1024)
qh_add_fuzz_target(fuzz_signeddatagram fuzz_signeddatagram.cpp LIBS qh_childcore qh_keys CORPUS signeddatagrams)
qh_add_fuzz_target(fuzz_urllist fuzz_urllist.cpp LIBS qh_core)
qh_add_fuzz_target(fuzz_registrystore fuzz_registrystore.cpp LIBS qh_core CORPUS registry)
qh_add_fuzz_target(fuzz_helpfile fuzz_helpfile.cpp LIBS qh_helpcore Qt6::Gui MAX_LEN 8192)
qh_add_fuzz_target(fuzz_bookmarks fuzz_bookmarks.cpp LIBS qh_lessoncore MAX_LEN 16384)
qh_add_fuzz_target(fuzz_picture fuzz_picture.cpp LIBS qh_pictures CORPUS pictures MAX_LEN 17000)
