#pragma once
// Operates a widget's context menu as the operator does: opens it at a point
// with the mouse and clicks the entry with the given text.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

inline void chooseFromContextMenu(QWidget* widget, QPoint at, const QString& entry)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* action = nullptr;
    for (QAction* candidate : menu->actions())
        action = candidate->text() == entry ? candidate : action;
    QVERIFY2(action != nullptr, qPrintable(entry));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
}
