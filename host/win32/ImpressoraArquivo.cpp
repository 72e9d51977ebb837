#include "ImpressoraArquivo.h"

#include <windows.h>
#include <winspool.h>

#include <fstream>
#include <vector>

namespace host {

namespace {

constexpr wchar_t Nome[] = L"Notera PostScript";

// The device the driver describes: A4 and Letter with a printable area inside the paper, a
// colour PostScript 3 device with the standard fonts.
constexpr char Ppd[] = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "NOTERAPS.PPD"
*Manufacturer: "Notera"
*Product: "(Notera PostScript)"
*PSVersion: "(3010.000) 0"
*ModelName: "Notera PostScript"
*ShortNickName: "Notera PostScript"
*NickName: "Notera PostScript"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*TTRasterizer: Type42
*DefaultResolution: 600dpi
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageRegion Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "12 12 583 830"
*ImageableArea Letter/Letter: "12 12 600 780"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/Letter: "612 792"
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
*Font Courier-Bold: Standard "(002.004S)" Standard ROM
*Font Helvetica: Standard "(001.006S)" Standard ROM
*Font Helvetica-Bold: Standard "(001.007S)" Standard ROM
*Font Times-Roman: Standard "(001.007S)" Standard ROM
*Font Times-Bold: Standard "(001.007S)" Standard ROM
*Font Times-Italic: Standard "(001.007S)" Standard ROM
*Font Times-BoldItalic: Standard "(001.009S)" Standard ROM
)ppd";

std::string textoDoErro(DWORD codigo) {
    char* buf = nullptr;
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, codigo, 0, reinterpret_cast<LPSTR>(&buf), 0, nullptr);
    std::string t = n ? std::string(buf, n) : "error " + std::to_string(codigo);
    if (buf) ::LocalFree(buf);
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' '))
        t.pop_back();
    return t;
}

bool falha(std::string& erro, const char* passo) {
    erro = std::string(passo) + ": " + textoDoErro(::GetLastError());
    return false;
}

bool driverConhecido() {
    DWORD precisa = 0, quantos = 0;
    ::EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &precisa, &quantos);
    if (precisa == 0) return false;
    std::vector<BYTE> buf(precisa);
    if (!::EnumPrinterDriversW(nullptr, nullptr, 1, buf.data(), precisa, &precisa, &quantos))
        return false;
    const auto* info = reinterpret_cast<const DRIVER_INFO_1W*>(buf.data());
    for (DWORD i = 0; i < quantos; ++i)
        if (info[i].pName && std::wstring_view(info[i].pName) == Nome) return true;
    return false;
}

bool adicionaDriver(std::string& erro) {
    // The driver's description goes where the spooler keeps its drivers' files.
    wchar_t dir[MAX_PATH];
    DWORD n = 0;
    if (!::GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(dir),
                                      sizeof(dir), &n))
        return falha(erro, "GetPrinterDriverDirectory");
    const std::wstring ppd = std::wstring(dir) + L"\\noteraps.ppd";
    {
        std::ofstream f(ppd.c_str(), std::ios::binary | std::ios::trunc);
        f << Ppd;
        if (!f.flush()) {
            erro = "cannot write the printer description into the driver directory";
            return false;
        }
    }
    std::wstring nome = Nome, driver = L"wineps.drv", tipo = L"RAW";
    DRIVER_INFO_3W di{};
    di.cVersion = 3;
    di.pName = nome.data();
    di.pDriverPath = driver.data();
    di.pDataFile = const_cast<wchar_t*>(ppd.c_str());
    di.pConfigFile = driver.data();
    di.pDefaultDataType = tipo.data();
    if (!::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&di),
                               APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY))
        return falha(erro, "AddPrinterDriverEx");
    return true;
}

} // namespace

bool garanteImpressoraPostScript(std::string& erro) {
    std::wstring nome = Nome;
    HANDLE h = nullptr;
    if (::OpenPrinterW(nome.data(), &h, nullptr)) {
        ::ClosePrinter(h);
        return true;
    }
    if (!driverConhecido() && !adicionaDriver(erro)) return false;

    std::wstring porta = L"FILE:", processador = L"WinPrint", tipo = L"RAW";
    PRINTER_INFO_2W pi{};
    pi.pPrinterName = nome.data();
    pi.pPortName = porta.data();
    pi.pDriverName = nome.data();
    pi.pPrintProcessor = processador.data();
    pi.pDatatype = tipo.data();
    pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    h = ::AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&pi));
    if (!h) {
        // Another process may have added it meanwhile.
        if (::GetLastError() == ERROR_PRINTER_ALREADY_EXISTS) return true;
        return falha(erro, "AddPrinter");
    }
    ::ClosePrinter(h);
    return true;
}

} // namespace host
