// The descriptions we have the published text for, sorted by code. A code missing here
// is described as "n/a": a made-up description would mislead more than none.
// DIERR_DRIVERFIRST and the five codes after it share one text, which we do not have,
// so they are not listed either.
#include "diag/error_tables.h"

#define ZF_DESCRIBE(code, text) \
  { code, text, u##text }

constinit const ErrorDescription ERROR_DESCRIPTIONS[] = {
    ZF_DESCRIBE(0x00000000u, "The function completed successfully"),
    ZF_DESCRIBE(0x00000001u, "Call successful, but returned FALSE"),
    ZF_DESCRIBE(0x00000002u, "The system cannot find the file specified."),
    ZF_DESCRIBE(0x80004005u, "An undetermined error occurred"),
    ZF_DESCRIBE(0x80070002u, "The system cannot find the file specified."),
    ZF_DESCRIBE(0x8007001Eu, "Access to the device has been lost.  It must be re-acquired."),
    ZF_DESCRIBE(0x80070057u, "An invalid parameter was passed to the returning function"),
    ZF_DESCRIBE(0x88760868u, "Device lost"),
    ZF_DESCRIBE(0x8876086Cu, "Invalid call"),
    ZF_DESCRIBE(0x88780078u, "No sound driver is available for use"),
    ZF_DESCRIBE(0x88780096u, "The buffer memory has been lost, and must be restored"),
};

#undef ZF_DESCRIBE

constinit const size_t ERROR_DESCRIPTION_COUNT =
    sizeof(ERROR_DESCRIPTIONS) / sizeof(ERROR_DESCRIPTIONS[0]);
