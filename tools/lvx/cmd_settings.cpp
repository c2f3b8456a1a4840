#include <charconv>

#include "commands.h"
#include "settings/settings_file.h"
#include "settings/std_settings_port.h"

namespace lvx::tool {

int CmdSettings(const Args& args, std::ostream& out, std::ostream& err) {
    std::string ini;
    double width = 1024;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--ini" && i + 1 < args.size()) {
            ini = args[++i];
        } else if (args[i] == "--screen-width" && i + 1 < args.size()) {
            const std::string& text = args[++i];
            int px = 0;
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), px);
            if (ec != std::errc() || end != text.data() + text.size() || px <= 0) {
                err << "lvx settings: bad screen width: " << text << "\n";
                return 2;
            }
            width = px;
        } else {
            err << "usage: lvx settings --ini FILE [--screen-width PX]\n";
            return 2;
        }
    }
    if (ini.empty()) {
        err << "usage: lvx settings --ini FILE [--screen-width PX]\n";
        return 2;
    }
    StdSettingsPort port(ini, width);
    Settings s;
    Load_ini_File(s, port);
    out << "BgmKind=" << s.BgmKind << "\n"
        << "BgmRepeat=" << s.BgmRepeat << "\n"
        << "BgmFile=" << s.BgmFile << "\n"
        << "PictureSize=" << s.PictureSize << "\n"
        << "SizeRandom=" << s.SizeRandom << "\n"
        << "ColorInterval=" << s.ColorInterval << "\n"
        << "Gradation=" << s.Gradation << "\n"
        << "BackColorRandom=" << s.BackColorRandom << "\n"
        << "BackColor=" << s.BackColor << "\n"
        << "Shape=" << s.Shape << "\n"
        << "PictureCount=" << s.PictureCount << "\n";
    return 0;
}

}  // namespace lvx::tool
