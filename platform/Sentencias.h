#pragma once
// Counts every statement that reaches a database and, in tests, makes the
// k-th one fail: the fault sweeps of the closing stand on this.
#include <functional>

namespace ncc {

struct Sentencias {
    static long contadas();
    static void reiniciar();
    // Makes statement number k (counted from 1 after the last reiniciar) fail
    // with an injected error; 0 turns the fault off.
    static void fallarEn(long k);
    // Makes statement number k run out of memory (std::bad_alloc) instead.
    static void agotarMemoriaEn(long k);
    // Makes the k-th statement of each thread other than the caller's fail
    // (each such thread counting its own from 1): work that a run hands to
    // a thread of its own. fallarEn(0) turns it off too.
    static void fallarAparteEn(long k);
    // Called by the connection before each statement; throws when due.
    static void contar();
};

}  // namespace ncc
