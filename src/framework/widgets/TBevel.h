#pragma once
// A bevelled shape drawn in the button colours; the top line is an etched separator.
#include "framework/TControl.h"

#include <QWidget>

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public QWidget, public TControl {
    Q_OBJECT
public:
    TBevel(TComponent* owner, QWidget* parent);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle style);

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};
