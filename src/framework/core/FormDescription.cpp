#include "framework/core/FormDescription.h"

namespace {
std::map<std::string, ControlFactory>& controlClasses()
{
    static std::map<std::string, ControlFactory> classes;
    return classes;
}
std::map<std::string, ComponentFactory>& componentClasses()
{
    static std::map<std::string, ComponentFactory> classes;
    return classes;
}
} // namespace

void RegisterControlClass(const std::string& className, ControlFactory factory)
{
    controlClasses()[className] = std::move(factory);
}

void RegisterComponentClass(const std::string& className, ComponentFactory factory)
{
    componentClasses()[className] = std::move(factory);
}

const ControlFactory* FindControlClass(const std::string& className)
{
    auto it = controlClasses().find(className);
    return it == controlClasses().end() ? nullptr : &it->second;
}

const ComponentFactory* FindComponentClass(const std::string& className)
{
    auto it = componentClasses().find(className);
    return it == componentClasses().end() ? nullptr : &it->second;
}
