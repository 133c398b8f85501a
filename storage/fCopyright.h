#pragma once
// fCopyright: the credits window; it closes at the first click on any of
// its parts, and as soon as it is no longer the active window.

#include "Form.h"

class QLabel;
namespace vb {
class PictureClip;
class ShapeControl;
}

class fCopyright : public vb::Form {
    Q_OBJECT
public:
    fCopyright();
    ~fCopyright() override;

    QLabel *Picture1 = nullptr;
    vb::PictureClip *PictureClip1 = nullptr;
    vb::ShapeControl *Shape1 = nullptr;
    QLabel *Label1 = nullptr; // the product name
    QLabel *Label2 = nullptr; // the credits line

protected:
    void formLoad() override;
    void formClick() override;
    void formDeactivate() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
