#pragma once
// The plain controls a window is built from: panel, label, edit box, memo and picture.
#include "framework/TControl.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public QFrame, public TControl {
    Q_OBJECT
public:
    TPanel(TComponent* owner, QWidget* parent);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    TBevelCut BevelInner() const { return bevelInner_; }
    QString Caption() const { return caption_; }

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    QString caption_;
};

class TLabel : public QLabel, public TControl {
    Q_OBJECT
public:
    TLabel(TComponent* owner, QWidget* parent);
    void Loaded() override;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override;
    void changeEvent(QEvent* event) override;

private:
    // A label sizes itself to its caption in its own font, which differs between systems.
    void fitToText();
    bool autoSize_ = true;
};

class TEdit : public QLineEdit, public TControl {
    Q_OBJECT
public:
    TEdit(TComponent* owner, QWidget* parent);
    std::string Text() const { return text().toStdString(); }
    void SetText(const std::string& text) { setText(QString::fromStdString(text)); }

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override { setText(caption); }
};

class TMemo : public QPlainTextEdit, public TControl {
    Q_OBJECT
public:
    TMemo(TComponent* owner, QWidget* parent);
    // The memo's lines as one text, each line ending in CR LF, as a string list gives it.
    void SetText(const std::string& text);
    std::string Text() const;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
};

class TImage : public QWidget, public TControl {
    Q_OBJECT
public:
    TImage(TComponent* owner, QWidget* parent);
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    bool autoSize_ = false;
};

// Makes the classes above known to the window loader.
void RegisterStandardControls();
// A picture from a file or compiled-in resource, by its kind: JPEG or Windows bitmap.
QImage LoadPicture(const QString& path);
