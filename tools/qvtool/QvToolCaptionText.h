#pragma once
#include <QGuiApplication>

#include <memory>

// What the commands that draw the view need for its caption text: a QGuiApplication (on the
// offscreen platform when no other is chosen) and the Qt text painter, for their lifetime.
class QvToolCaptionText {
public:
    QvToolCaptionText();
    ~QvToolCaptionText();
    QvToolCaptionText(const QvToolCaptionText&) = delete;
    QvToolCaptionText& operator=(const QvToolCaptionText&) = delete;

private:
    int m_argc = 1;
    char m_program[8] = "qvtool";
    char* m_argv[2] = {m_program, nullptr};
    std::unique_ptr<QGuiApplication> m_application;
};
