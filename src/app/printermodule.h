// Printing behind a small interface: Qt Print Support lives in the module
// corvane_printing, loaded on the first print, so a start never maps it. The
// window keeps QPrinter pointers and paints on them as paged paint devices;
// whatever needs QPrinter's own functions (making one, its dialog, its name,
// copies, page area and state) goes through here.
#pragma once

#include <QSizeF>
#include <QString>
#include <QtPlugin>

class QDialog;
class QPrinter;
class QWidget;

// What printing on a printer needs to know of it.
struct PrinterFacts {
    QString where;            // the file being written, else the printer's name
    bool makesCopies = false; // the printing system repeats one copy itself
    int copyCount = 1;        // copies asked for in the dialog
    QSizeF pageArea;          // the printable area, in device pixels
};

class PrinterModule {
public:
    virtual ~PrinterModule() = default;
    // A high-resolution printer; the caller owns it.
    virtual QPrinter* newPrinter() = 0;
    // The print dialog on `printer`, offering printing to a file (the PDF)
    // and the page size, and the copies' collation where `collate`.
    virtual QDialog* printDialog(QPrinter* printer, QWidget* parent, bool collate) = 0;
    virtual PrinterFacts facts(const QPrinter& printer) const = 0;
    // Whether the printer reports an error after the painting.
    virtual bool failed(const QPrinter& printer) const = 0;
};

#define CorvanePrinterModule_iid "org.corvane.PrinterModule/1"
Q_DECLARE_INTERFACE(PrinterModule, CorvanePrinterModule_iid)
