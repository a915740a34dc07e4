/* Adds a PostScript printer to a Wine prefix: Wine's PostScript driver with a PPD file that is
   already in the prefix's driver directory, on a port of the caller's choice. Optionally makes
   it the default printer. Built and run by scripts/wine-prefix.sh. */
#include <windows.h>
#include <winspool.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: add-printer PRINTER DRIVER PPD-NAME PORT [default]\n");
        return 2;
    }
    char environment[] = "Windows x64";
    char driver_dll[] = "wineps.drv";
    DRIVER_INFO_3A driver;
    memset(&driver, 0, sizeof driver);
    driver.cVersion = 3;
    driver.pName = argv[2];
    driver.pEnvironment = environment;
    driver.pDriverPath = driver_dll;
    driver.pDataFile = argv[3];
    driver.pConfigFile = driver_dll;
    if (!AddPrinterDriverExA(NULL, 3, (LPBYTE)&driver, APD_COPY_NEW_FILES) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        fprintf(stderr, "add-printer: driver %s: error %lu\n", argv[2], GetLastError());
        return 1;
    }
    char processor[] = "WinPrint";
    char datatype[] = "RAW";
    PRINTER_INFO_2A printer;
    memset(&printer, 0, sizeof printer);
    printer.pPrinterName = argv[1];
    printer.pPortName = argv[4];
    printer.pDriverName = argv[2];
    printer.pPrintProcessor = processor;
    printer.pDatatype = datatype;
    HANDLE handle = AddPrinterA(NULL, 2, (LPBYTE)&printer);
    if (handle) {
        ClosePrinter(handle);
    } else if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        fprintf(stderr, "add-printer: printer %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    if (argc > 5 && strcmp(argv[5], "default") == 0 && !SetDefaultPrinterA(argv[1])) {
        fprintf(stderr, "add-printer: default %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    return 0;
}
