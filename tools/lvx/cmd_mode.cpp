#include "app/lvx_b.h"
#include "commands.h"

namespace lvx::tool {

int CmdMode(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: lvx mode TEXT\n";
        return 2;
    }
    // What start-up does on a 9x-family platform when no guard window exists.
    ModeChoice choice = ChooseMode(args[0], false);
    out << "letter=" << choice.letter << " action=";
    using A = ModeChoice::Action;
    switch (choice.action) {
        case A::End: out << "end"; break;
        case A::Preview: out << "preview host=" << choice.number; break;
        case A::Password: out << "password parent=" << choice.number; break;
        case A::PasswordSkip: out << "password skip"; break;
        case A::Settings: out << "settings"; break;
        case A::SaverHidden: out << "saver cursor=hidden"; break;
        case A::SaverVisible: out << "saver cursor=visible"; break;
    }
    out << "\n";
    return 0;
}

}  // namespace lvx::tool
