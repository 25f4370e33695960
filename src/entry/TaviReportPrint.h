#pragma once

#include <QString>
#include <cstdint>

#if defined(_WIN32)
#define TAVI_EXPORT __declspec(dllexport)
#define TAVI_CALL __stdcall
#else
#define TAVI_EXPORT __attribute__((visibility("default")))
#define TAVI_CALL
#endif

/// The library's one entry point: connects to the host's database, brings the definition
/// tables up to date and shows the report centre (empty title), the room-state view
/// ("未来房态图") or the report of that title. Texts are GBK. Returns -1 when the database
/// cannot be opened, 1 when an information-selection report was closed with OK (then
/// `*selected` receives a malloc'ed GBK text the host frees), else 0.
extern "C" TAVI_EXPORT int32_t TAVI_CALL TaviReportPrint(int32_t dbType, const char *userName,
                                                         const char *officeName,
                                                         const char *reserved, const char *title,
                                                         const char *option, int32_t toolbarFlag,
                                                         char **selected);

namespace tavi {

/// How the option argument splits into the runner's mode and pre-filter.
struct OptionParts
{
    QString modeArg;
    QString preFilter;
};
OptionParts splitOption(const QString &option);

}  // namespace tavi
