#pragma once

#include <QString>
#include <QWidget>

#include <functional>

// The tile map of the movers page. For now it keeps its theme flag and activation callback and paints
// its empty frame; the movers it shows arrive with the movers loader.
class MoversMosaic : public QWidget
{
public:
    explicit MoversMosaic(QWidget *parent);

    void setActivationCallback(std::function<void(const QString &)> callback);
    void setLightTheme(bool light);
    bool isLightTheme() const { return light; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<void(const QString &)> onActivate;
    bool light = false;
};
