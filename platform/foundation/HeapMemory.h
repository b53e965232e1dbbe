#pragma once

// The C library's heap, as a process that holds long logs for a while and then lets them go needs it.
// Both calls do nothing under the sanitizers, which bring allocators of their own (trimming the C library's
// arenas under them reads arenas that were never set up). Any thread.
class HeapMemory {
public:
    // Hands the free memory of every arena back to the system, after a large structure was freed.
    static void returnFreedMemoryToTheSystem();
    // Gives every large block (1 MiB and more) a mapping of its own, unmapped when it is freed, and keeps at
    // most a few MiB free at the top of an arena. By default the C library raises both limits as large
    // blocks are freed (up to 32 MiB for a mapping of its own and twice that for the top), after which a
    // long log's buffers (tens of MiB each: a file's bytes, an encoded list) are cut from the arenas of
    // the threads that used them and stay with the process when freed, a little more at each opening of
    // the panel. Called once, early, by the process's main library.
    static void keepLargeBlocksOutOfTheArenas();
};
