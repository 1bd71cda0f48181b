// The data tools run from their tests as a user runs them: paths quoted for the shell, the
// exit status with the messages caught in a file, and the refusals every recipe tool shares.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

// The text in single quotes for the shell, a quote inside it kept.
inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// A shell command's exit status; -1 when it did not exit by itself.
inline int ExitStatusOf(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A program's exit status; its messages go to the file `messages` names.
inline int RunProgram(const std::string& program, const std::string& arguments,
                      const std::string& messages = "/dev/null") {
    return ExitStatusOf(Quoted(program) + " " + arguments + " 2>" + Quoted(messages));
}

// The same for a tool that makes `out` from `recipe`.
inline int RunRecipeTool(const std::string& program, const std::string& recipe, const std::string& out,
                         const std::string& messages = "/dev/null") {
    return RunProgram(program, Quoted(recipe) + " " + Quoted(out), messages);
}

// A recipe a tool must refuse, with the line it must name.
struct CBadRecipe {
    const char* name;
    std::string recipe;
    int line;
    const char* message;  // a part of the message
};

// A refusal as the tools give it: exit status 1, the messages naming `where` and saying `message`.
inline void ExpectRefusal(int status, const std::string& messages, const std::string& where, const char* message) {
    EXPECT_EQ(status, 1);
    const std::string text = ReadText(messages);
    EXPECT_NE(text.find(where), std::string::npos) << text;
    EXPECT_NE(text.find(message), std::string::npos) << text;
}

// Each recipe written to `recipeName` in `dir` and made into `outName` there: refused naming
// "<recipe>:<line>: ", and nothing written, `dir` holding just `names` afterwards.
inline void ExpectBadRecipesRefused(const std::string& program, std::span<const CBadRecipe> recipes, const TempDir& dir,
                                    const std::string& recipeName, const std::string& outName,
                                    const std::vector<std::string>& names) {
    const std::string recipe = dir.File(recipeName);
    const std::string messages = dir.File("messages");
    for (const CBadRecipe& bad : recipes) {
        SCOPED_TRACE(bad.name);
        WriteText(recipe, bad.recipe);
        ExpectRefusal(RunRecipeTool(program, recipe, dir.File(outName), messages), messages,
                      recipe + ":" + std::to_string(bad.line) + ": ", bad.message);
        EXPECT_EQ(dir.Names(), names) << "nothing written";
    }
}

// A missing recipe and an output in a missing folder give status 1 and write nothing.
inline void ExpectMissingRecipeAndUnwritableOutputRefused(const std::string& program, const std::string& goodRecipe,
                                                          const std::string& outName) {
    TempDir dir;
    EXPECT_EQ(RunRecipeTool(program, dir.File("missing.txt"), dir.File(outName)), 1);
    WriteText(dir.File("good.txt"), goodRecipe);
    EXPECT_EQ(RunRecipeTool(program, dir.File("good.txt"), dir.File("no/such/folder/" + outName)), 1);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"good.txt"}));
}

// Too few or too many arguments, or an empty name, give status 2 and write nothing.
inline void ExpectBadCommandLinesRefused(const std::string& program, const std::string& goodRecipe,
                                         const std::string& outName) {
    TempDir dir;
    WriteText(dir.File("good.txt"), goodRecipe);
    const std::string good = Quoted(dir.File("good.txt"));
    const std::string out = Quoted(dir.File(outName));
    for (const std::string& arguments :
         {std::string(""), good, good + " " + out + " extra", std::string("'' ") + out, good + " ''"})
        EXPECT_EQ(RunProgram(program, arguments), 2) << arguments;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"good.txt"}));
}
