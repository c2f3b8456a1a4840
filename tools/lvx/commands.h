// The lvx tool. Run takes the words after the program's name, writes to out
// and err, and returns the exit code: 0 done, 1 failed, 2 a bad command line.
// Output formats are stable: tests and scripts read them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// CLI11 is heavy to compile: only the files that build the command line see it.
namespace CLI {
class App;
}

namespace lvx::tool {

using Args = std::vector<std::string>;

int Run(const Args& words, std::ostream& out, std::ostream& err);

// What a command reaches while it runs: its streams and the code it ends with.
struct Io {
    std::ostream& out;
    std::ostream& err;
    int code = 0;
};

// Each command adds itself, its help and its arguments to the tool.
void AddSettings(CLI::App& lvx, Io& io);
void AddMode(CLI::App& lvx, Io& io);
void AddBlend(CLI::App& lvx, Io& io);
void AddLines(CLI::App& lvx, Io& io);
void AddRender(CLI::App& lvx, Io& io);
void AddCells(CLI::App& lvx, Io& io);
void AddFrame(CLI::App& lvx, Io& io);

}  // namespace lvx::tool
