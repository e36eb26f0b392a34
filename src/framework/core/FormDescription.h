#pragma once
// The stored description of a window: controls with their parent and properties, and
// non-visual components. Properties are written as the window's designer stored them.
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class QWidget;
class TComponent;

using StoredProperties = std::vector<std::pair<std::string, std::string>>;

struct StoredFont {
    std::string Name;
    int Height = 0; // negative: character height in pixels
    std::string Style;
    std::string Color = "clWindowText";
    std::string Charset = "DEFAULT_CHARSET";
};

struct ControlDescription {
    std::string Name;
    std::string Class;
    std::string Parent; // empty: the window itself
    int Left, Top, Width, Height;
    std::string Caption;
    const StoredFont* Font; // nullptr: the parent's font
    StoredProperties Further;
};

struct ComponentDescription {
    std::string Name;
    std::string Class;
    StoredProperties Properties;
};

struct FormDescription {
    std::string Name;
    std::string Class;
    StoredProperties Properties;
    const StoredFont* Font;
    std::vector<ControlDescription> Controls;
    std::vector<ComponentDescription> Components;
};

// Factories by class name. A control factory receives its owner and its parent widget.
using ControlFactory = std::function<TComponent*(TComponent* owner, QWidget* parent)>;
using ComponentFactory = std::function<TComponent*(TComponent* owner)>;
void RegisterControlClass(const std::string& className, ControlFactory factory);
void RegisterComponentClass(const std::string& className, ComponentFactory factory);
const ControlFactory* FindControlClass(const std::string& className);
const ComponentFactory* FindComponentClass(const std::string& className);
