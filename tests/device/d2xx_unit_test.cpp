#include "device/d2xx_unit.h"

#include <QTest>

#include "scripted_dialogs.h"
#include "scripted_transport.h"

using namespace korvanne;
using korvanne::test::ScriptedDialogs;
using korvanne::test::ScriptedTransport;

namespace {

// Runs one unit operation by the name of the transport call it makes.
void runOperation(D2xxUnit& unit, const QString& op) {
    if (op == "deviceCount")
        unit.GetFTDeviceCount();
    else if (op == "serialNumber")
        unit.GetFTDeviceSerialNo(0);
    else if (op == "description")
        unit.GetFTDeviceDescription(0);
    else if (op == "open")
        unit.Open_USB_Device_By_Serial_Number("KV000001");
    else if (op == "close")
        unit.CloseFTDevice();
    else if (op == "queueStatus")
        unit.GetFTQueueStatus();
    else if (op == "read")
        unit.ReadFTDevice();
    else if (op == "write")
        unit.WriteFTDevice(2);
    else if (op == "setBaudRate")
        unit.SetFTBaudRate();
    else if (op == "setDataCharacteristics")
        unit.SetFTDataCharacteristics();
    else if (op == "purgeRx")
        unit.PurgeFTReceive();
    else if (op == "purgeTx")
        unit.PurgeFTTransmit();
    else
        QFAIL(qPrintable("unknown operation " + op));
}

}  // namespace

class D2xxUnitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void errorReport_data() {
        QTest::addColumn<QString>("op");       // operation, by its transport call
        QTest::addColumn<QString>("failing");  // the transport call made to fail
        QTest::addColumn<uint>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("count") << "deviceCount"
                               << "deviceCount" << 2u << "GetFTDeviceCount - Device not found...";
        QTest::newRow("serial") << "serialNumber"
                                << "serialNumber" << 5u
                                << "GetFTDeviceSerialNo - Insufficient resources...";
        QTest::newRow("description")
            << "description"
            << "description" << 6u << "GetFTDeviceDescription - Invalid parameter...";
        QTest::newRow("open") << "open"
                              << "open" << 3u
                              << "Open_USB_Device_By_Serial_Number - Device not opened...";
        QTest::newRow("close") << "close"
                               << "close" << 1u << "FT_Close - Invalid handle...";
        QTest::newRow("queue status")
            << "queueStatus"
            << "queueStatus" << 4u << "FT_GetQueueStatus - General IO error...";
        QTest::newRow("read, its queue status failing")
            << "read"
            << "queueStatus" << 4u << "FT_Read - General IO error...";
        QTest::newRow("baud rate")
            << "setBaudRate"
            << "setBaudRate" << 7u << "FT_SetBaudRate - Invalid baud rate...";
        QTest::newRow("data characteristics 16")
            << "setDataCharacteristics"
            << "setDataCharacteristics" << 16u
            << "FT_SetDataCharacteristics - Invalid arguments...";
        QTest::newRow("purge rx, row 8 without a dash")
            << "purgeRx"
            << "purge" << 8u << "FT_Purge RX Device not opened for erase...";
        QTest::newRow("purge tx, row 9 without a dash")
            << "purgeTx"
            << "purge" << 9u << "FT_Purge TX Device not opened for write...";
        QTest::newRow("write 10") << "write"
                                  << "write" << 10u << "FT_Write - Failed to write...";
        QTest::newRow("write 15") << "write"
                                  << "write" << 15u << "FT_Write - EEPROM not programmed...";
        QTest::newRow("write 17") << "write"
                                  << "write" << 17u << "FT_Write - Other error ...";
        QTest::newRow("write 18") << "write"
                                  << "write" << 18u << "FT_Write - Other error ...";
    }
    void errorReport() {
        QFETCH(QString, op);
        QFETCH(QString, failing);
        QFETCH(uint, status);
        QFETCH(QString, message);
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        unit.ErrorReportEnabled = true;
        if (op != "open") QCOMPARE(unit.Open_USB_Device_By_Serial_Number("KV000001"), ft::OK);
        transport.failing[failing.toStdString()] = status;

        runOperation(unit, op);
        QCOMPARE(dialogs.messages, QStringList{message});

        // With reporting off the same failure shows nothing.
        dialogs.messages.clear();
        unit.ErrorReportEnabled = false;
        runOperation(unit, op);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void unpluggedShowsOneBoxPerFailedCall() {
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        unit.ErrorReportEnabled = true;
        unit.Open_USB_Device_By_Serial_Number("KV000001");
        QCOMPARE(unit.CloseFTDevice(), ft::OK);
        QCOMPARE(unit.FTHandle, ScriptedTransport::OpenHandle);  // the close leaves the value
        QVERIFY(!unit.isOpen());

        QCOMPARE(unit.WriteFTDevice(2), 0u);
        QCOMPARE(unit.GetFTQueueStatus(), ft::INVALID_HANDLE);
        QCOMPARE(unit.PurgeFTTransmit(), ft::INVALID_HANDLE);
        QCOMPARE(dialogs.messages, (QStringList{"FT_Write - Invalid handle...",
                                                "FT_GetQueueStatus - Invalid handle...",
                                                "FT_Purge TX - Invalid handle..."}));
    }

    // A bridge the user may not open: the report says how to get the right, not only a code.
    void openWithoutPermissionSaysWhatToDo() {
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        unit.ErrorReportEnabled = true;
        transport.failing["open"] = ft::NO_PERMISSION;
        QCOMPARE(unit.Open_USB_Device_By_Serial_Number("KV000001"), ft::NO_PERMISSION);
        QVERIFY(!unit.isOpen());
        QCOMPARE(dialogs.messages.size(), 1);
        const QString& message = dialogs.messages.front();
        QVERIFY2(message.startsWith("Open_USB_Device_By_Serial_Number - No permission"),
                 qPrintable(message));
        for (const char* advice : {"package, whose udev rule", "plug it in again",
                                   "\"dialout\" group", "log in again"}) {
            QVERIFY2(message.contains(advice), advice);
        }
    }

    void successShowsNothing() {
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        unit.ErrorReportEnabled = true;
        for (const char* op :
             {"open", "deviceCount", "serialNumber", "description", "queueStatus", "read", "write",
              "setBaudRate", "setDataCharacteristics", "purgeRx", "purgeTx", "close"})
            runOperation(unit, op);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void readTakesWhatIsWaitingAndLeavesTheRest_data() {
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("read");
        QTest::newRow("300 waiting") << 300 << 300;
        QTest::newRow("more than the buffer") << 70000 << 65536;
        QTest::newRow("nothing waiting") << 0 << 0;
    }
    void readTakesWhatIsWaitingAndLeavesTheRest() {
        QFETCH(int, waiting);
        QFETCH(int, read);
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        unit.Open_USB_Device_By_Serial_Number("KV000001");
        unit.RxBuffer.fill(0xEE);
        std::vector<std::uint8_t> incoming(waiting);
        for (int i = 0; i < waiting; ++i) incoming[i] = static_cast<std::uint8_t>(i % 200);
        transport.arrive(0, incoming);

        QCOMPARE(int(unit.ReadFTDevice(D2xxUnit::BufferSize)), read);
        QVERIFY(std::equal(incoming.begin(), incoming.begin() + read, unit.RxBuffer.begin()));
        QVERIFY(std::all_of(unit.RxBuffer.begin() + read, unit.RxBuffer.end(),
                            [](std::uint8_t b) { return b == 0xEE; }));
        // What did not fit stays in the queue for the next read.
        QCOMPARE(unit.GetFTQueueStatus(), ft::OK);
        QCOMPARE(int(unit.RxQueueCount), waiting - read);
    }

    void listing() {
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        transport.devices = {{"FT4KV01", "Korvanne MK3"}};
        QCOMPARE(unit.GetFTDeviceCount(), ft::OK);
        QCOMPARE(unit.FTDeviceCount, 1u);
        QCOMPARE(unit.GetFTDeviceSerialNo(0), ft::OK);
        QCOMPARE(unit.FT_Device_String, std::string("FT4KV01"));
        // Both calls write the one field: the description replaces the serial number.
        QCOMPARE(unit.GetFTDeviceDescription(0), ft::OK);
        QCOMPARE(unit.FT_Device_String, std::string("Korvanne MK3"));
        // A failed call leaves it as it was.
        QCOMPARE(unit.GetFTDeviceSerialNo(3), ft::DEVICE_NOT_FOUND);
        QCOMPARE(unit.FT_Device_String, std::string("Korvanne MK3"));

        transport.devices.clear();
        QCOMPARE(unit.GetFTDeviceCount(), ft::OK);
        QCOMPARE(unit.FTDeviceCount, 0u);
    }

    void openCutsTheSerialTo49Characters() {
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        const std::string longSerial(60, 'S');
        transport.devices = {{longSerial.substr(0, 49), "long"}};
        QCOMPARE(unit.Open_USB_Device_By_Serial_Number(longSerial), ft::OK);
        QCOMPARE(transport.openedSerial, longSerial.substr(0, 49));
        QVERIFY(unit.isOpen());
        QCOMPARE(unit.FTHandle, ScriptedTransport::OpenHandle);
    }

    void writeSendsFromTheStartOfTheTransmitBuffer() {
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        unit.Open_USB_Device_By_Serial_Number("KV000001");
        unit.TxBuffer[0] = 0x02;
        unit.TxBuffer[1] = 0x00;
        unit.TxBuffer[2] = 0x99;
        QCOMPARE(unit.WriteFTDevice(2), 2u);
        QCOMPARE(transport.written, (std::vector<std::uint8_t>{0x02, 0x00}));
    }

    void lineParameters_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("parityBefore");
        QTest::addColumn<int>("parity");
        QTest::newRow("mode 0 normal") << 0 << 2 << 0;
        QTest::newRow("mode 2 bootloader") << 2 << 0 << 2;
        QTest::newRow("other mode keeps even") << 1 << 2 << 2;
        QTest::newRow("other mode keeps none") << 5 << 0 << 0;
    }
    void lineParameters() {
        QFETCH(int, mode);
        QFETCH(int, parityBefore);
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        unit.Open_USB_Device_By_Serial_Number("KV000001");
        unit.Parity = static_cast<std::uint8_t>(parityBefore);
        unit.BaudRate = 9600;
        unit.SetLineParameters(mode);
        QCOMPARE(unit.SetFTBaudRate(), ft::OK);
        QCOMPARE(unit.SetFTDataCharacteristics(), ft::OK);
        QCOMPARE(transport.baud, 115200u);
        QCOMPARE(int(transport.wordLength), 8);
        QCOMPARE(int(transport.stopBits), 0);
        QTEST(int(transport.parity), "parity");
    }

    void purgeMasks() {
        ScriptedTransport transport;
        ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        unit.Open_USB_Device_By_Serial_Number("KV000001");
        unit.PurgeFTReceive();
        unit.PurgeFTTransmit();
        QCOMPARE(transport.purges, (std::vector<std::uint32_t>{ft::PURGE_RX, ft::PURGE_TX}));
    }
};

QTEST_GUILESS_MAIN(D2xxUnitTest)
#include "d2xx_unit_test.moc"
