// The commands of the lvx tool. Each takes the words after its name, writes
// to out and err, and returns the exit code. Output formats are stable.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lvx::tool {

using Args = std::vector<std::string>;

int CmdSettings(const Args& args, std::ostream& out, std::ostream& err);
int CmdMode(const Args& args, std::ostream& out, std::ostream& err);
int CmdBlend(const Args& args, std::ostream& out, std::ostream& err);
int CmdLines(const Args& args, std::ostream& out, std::ostream& err);
int CmdRender(const Args& args, std::ostream& out, std::ostream& err);
int CmdCells(const Args& args, std::ostream& out, std::ostream& err);

}  // namespace lvx::tool
