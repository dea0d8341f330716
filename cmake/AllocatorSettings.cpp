// jemalloc's settings for the executables that use it (qa_use_allocator),
// read by the allocator when it starts. Pages a run has freed go back to
// the system after a second instead of ten, and at once once unused: a
// report run frees hundreds of megabytes of pictures and pages as it goes,
// and the memory it holds at its peak stays close to what it uses.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "dirty_decay_ms:1000,muzzy_decay_ms:0";
}
