#pragma once
// The GNU-style options of update, versions, verinfo and copy, read by QCommandLineParser. Like a
// hand-written loop it reads the arguments in order: what comes before the first argument it
// refuses counts (so "--help --bogus" is still help), and the refused one is named as typed.
#include "cli/Commands.h"

#include <QCommandLineParser>
#include <QStringList>

#include <string>
#include <vector>

class CommandLine {
public:
    enum class Problem {
        None,
        UnknownOption, // also a switch given a value ("--json=x")
        MissingValue,  // an option that takes a value ended the line
        StrayOperand,  // an operand where the command takes none
    };

    explicit CommandLine(bool takesOperands);

    void AddSwitch(const QStringList& names);
    void AddValueOption(const QString& name);
    void Parse(const CommandArgs& args);

    bool IsSet(const QString& name) const { return parser_.isSet(name); }
    std::string Value(const QString& name) const;
    std::vector<std::string> Operands() const;
    // What made parsing stop, and the argument it stopped at.
    Problem Refusal() const { return problem_; }
    const std::string& RefusedArgument() const { return refused_; }

private:
    bool accepts(const CommandArgs& args, std::size_t count);
    Problem classify(const CommandArgs& args, std::size_t index);

    bool takesOperands_;
    QCommandLineParser parser_;
    Problem problem_ = Problem::None;
    std::string refused_;
};
