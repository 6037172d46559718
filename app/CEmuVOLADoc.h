#pragma once
// The document of a connection window. It carries no data: nothing is ever
// loaded or saved through it, and each connection window has its own.

#include <QObject>

class CEmuVOLADoc : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
};
