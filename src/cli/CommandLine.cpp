#include "cli/CommandLine.h"

namespace {
// Each byte as one character, so that a file name that is not UTF-8 comes back unchanged; option
// names are ASCII and match all the same.
QString bytesAsText(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string textAsBytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

QStringList programAnd(const CommandArgs& args, std::size_t count)
{
    QStringList list{QStringLiteral("tallyrune-updatectl")};
    for (std::size_t i = 0; i < count; ++i)
        list << bytesAsText(args[i]);
    return list;
}
} // namespace

CommandLine::CommandLine(bool takesOperands) : takesOperands_(takesOperands)
{
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
}

std::string CommandLine::Value(const QString& name) const
{
    return textAsBytes(parser_.value(name));
}

void CommandLine::AddSwitch(const QStringList& names)
{
    parser_.addOption(QCommandLineOption(names));
}

void CommandLine::AddValueOption(const QString& name)
{
    parser_.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
}

bool CommandLine::accepts(const CommandArgs& args, std::size_t count)
{
    return parser_.parse(programAnd(args, count)) && (takesOperands_ || parser_.positionalArguments().isEmpty());
}

CommandLine::Problem CommandLine::classify(const CommandArgs& args, std::size_t index)
{
    if (parser_.parse(programAnd(args, index + 1)))
        return Problem::StrayOperand;
    const bool valueLeftOut = parser_.unknownOptionNames().isEmpty() && args[index].find('=') == std::string::npos;
    return valueLeftOut ? Problem::MissingValue : Problem::UnknownOption;
}

void CommandLine::Parse(const CommandArgs& args)
{
    // Ever longer beginnings of the line: an option that takes a value is refused only while it is
    // the last, so the refused argument is the first one after which nothing parses any more.
    for (std::size_t count = 1; count <= args.size(); ++count) {
        if (accepts(args, count) || (count < args.size() && accepts(args, count + 1)))
            continue;
        problem_ = classify(args, count - 1);
        refused_ = args[count - 1];
        accepts(args, count - 1); // the options before it still count
        return;
    }
    accepts(args, args.size());
}

std::vector<std::string> CommandLine::Operands() const
{
    std::vector<std::string> operands;
    for (const QString& operand : parser_.positionalArguments())
        operands.push_back(textAsBytes(operand));
    return operands;
}
