#include <CLI/CLI.hpp>

#include "app/lvx_b.h"
#include "commands.h"

namespace lvx::tool {

void AddMode(CLI::App& lvx, Io& io) {
    CLI::App* mode = lvx.add_subcommand("mode", "what start-up does with an argument text");
    mode->footer(
        "TEXT is the whole text as Windows passes it: /s, /c:1234, \"/p 5678\", -a, ...\n"
        "Prints 'letter=L action=ACTION', ACTION one of: end, preview host=N, password parent=N,\n"
        "password skip, settings, saver cursor=hidden, saver cursor=visible.");
    auto text = std::make_shared<std::string>();
    mode->add_option("TEXT", *text, "the whole argument text (may begin with '-')")->type_name("TEXT")->required();
    mode->callback([&io, text] {
        // What start-up does on a 9x-family platform when no guard window exists.
        const ModeChoice choice = ChooseMode(*text, false);
        io.out << "letter=" << choice.letter << " action=";
        using A = ModeChoice::Action;
        switch (choice.action) {
            case A::End: io.out << "end"; break;
            case A::Preview: io.out << "preview host=" << choice.number; break;
            case A::Password: io.out << "password parent=" << choice.number; break;
            case A::PasswordSkip: io.out << "password skip"; break;
            case A::Settings: io.out << "settings"; break;
            case A::SaverHidden: io.out << "saver cursor=hidden"; break;
            case A::SaverVisible: io.out << "saver cursor=visible"; break;
        }
        io.out << "\n";
    });
}

}  // namespace lvx::tool
