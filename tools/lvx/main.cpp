// lvx: shows what the saver would do, without a screen.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "commands.h"

int main(int argc, char** argv) {
    const int code = lvx::tool::Run(lvx::tool::Args(argv + 1, argv + argc), std::cout, std::cerr);
    // The last buffered bytes can still fail (a full disk): that is a failure too.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        if (code == 0) {
            std::cerr << "lvx: cannot write the output: " << std::strerror(errno ? errno : EIO) << "\n";
            return 1;
        }
    }
    return code;
}
