// The printing module corvane_printing: Qt Print Support's printer and print
// dialog for the window (printermodule.h).
#include "app/printermodule.h"

#include <QDir>
#include <QObject>
#include <QPrintDialog>
#include <QPrinter>

class QtPrinterModule : public QObject, public PrinterModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID CorvanePrinterModule_iid)
    Q_INTERFACES(PrinterModule)
public:
    QPrinter* newPrinter() override { return new QPrinter(QPrinter::HighResolution); }

    QDialog* printDialog(QPrinter* printer, QWidget* parent, bool collate) override {
        auto* dialog = new QPrintDialog(printer, parent);
        QAbstractPrintDialog::PrintDialogOptions options =
            QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize;
        if (collate)
            options |= QAbstractPrintDialog::PrintCollateCopies;
        dialog->setOptions(options);
        return dialog;
    }

    PrinterFacts facts(const QPrinter& printer) const override {
        PrinterFacts f;
        f.where = printer.outputFileName().isEmpty()
                      ? printer.printerName()
                      : QDir::toNativeSeparators(printer.outputFileName());
        f.makesCopies = printer.supportsMultipleCopies();
        f.copyCount = printer.copyCount();
        f.pageArea = printer.pageRect(QPrinter::DevicePixel).size();
        return f;
    }

    bool failed(const QPrinter& printer) const override {
        return printer.printerState() == QPrinter::Error;
    }
};

#include "printermoduleimpl.moc"
