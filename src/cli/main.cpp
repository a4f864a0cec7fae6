// cli/main.cpp: the program's entry; the command itself is cli/run.h's.
#include <new>

#include "cli/messages.h"
#include "cli/run.h"
#include "cli/texts.h"

int main(int argc, char** argv) {
    try {
        return tessel::cli::Main(argc, argv);
    } catch (const std::bad_alloc&) {
        // Run's monitor has stopped the worker on the way out.
        tessel::cli::PrintError(tessel::cli::text::OutOfMemory);
        return tessel::cli::OutOfMemory;
    }
}
