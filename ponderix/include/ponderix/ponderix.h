/* libponderix: the scale driver behind a plain C interface (C99; usable from C++ and through any
 * language's foreign-function interface).
 *
 * Conventions, the same for every function:
 *  - Every function returns a result code: PDX_CORRECT (0) or one of the PDX_ codes below. The
 *    numbers are the driver's own; pdx_error_name and pdx_error_description explain any of them.
 *  - Texts are UTF-8 and NUL-terminated, in and out. A text argument that is not valid UTF-8 is
 *    refused with PDX_INCORRECT_ARGUMENTS.
 *  - A text comes out into the caller's buffer, the way snprintf writes: (buffer, size, length).
 *    `*length` (when length is not NULL) receives the text's length without the NUL. When the text
 *    does not fit, the buffer holds its NUL-terminated beginning and the call returns
 *    PDX_INCORRECT_ARGUMENTS with *length >= size (which tells it from other bad arguments);
 *    allocate *length + 1 bytes and ask again. buffer NULL with size 0 only asks for the length.
 *    Nothing is ever written past buffer[size - 1].
 *    Texts read from a scale always fit in PDX_TEXT_SIZE bytes.
 *  - A handle may be used from several threads: calls on one handle are serialised, calls on
 *    different handles run in parallel. pdx_destroy must not race with other calls on the same
 *    handle; a destroyed handle is refused with PDX_HANDLE_DOES_NOT_EXIST.
 *  - Logic devices are the stored connection configurations shared by every program of the driver.
 *  - libponderix.so finds the driver's private library beside itself ($ORIGIN): load it by its real
 *    path, not through a link in another folder.
 */
#ifndef PONDERIX_PONDERIX_H
#define PONDERIX_PONDERIX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PDX_API __attribute__((visibility("default")))

#define PDX_TEXT_SIZE 256

/* Result codes. */
enum {
    PDX_CORRECT = 0,
    PDX_UNSET = 1,
    PDX_ERROR_CASE_UNKNOWN = 2,
    PDX_INCORRECT_ARGUMENTS = 3,
    PDX_CONNECTION_ERROR = 4,
    PDX_UNABLE_TO_OPEN_SERIAL_PORT = 5,
    PDX_BOOST_ERROR_UNKNOWN = 6,
    PDX_TIMEOUT = 7,
    PDX_HANDLE_NULL = 8,
    PDX_HANDLE_INVALID = 9,
    PDX_HANDLE_DOES_NOT_EXIST = 10,
    PDX_PARAM_TYPE_UNKNOWN = 11,
    PDX_PARAM_TYPE_UNSUPPORTED = 12,
    PDX_PARAM_TYPE_IS_NOT_SET_TO_GET = 13,
    PDX_OPTION_UNKNOWN = 14,
    PDX_OPTION_UNSUPPORTED = 15,
    PDX_OPTION_IS_NOT_SET_TO_GET = 16,
    PDX_PARAM_VALUE_UNKNOWN = 17,
    PDX_PARAM_VALUE_UNSUPPORTED = 18,
    PDX_PARAM_VALUE_UNSET = 19,
    PDX_COMMAND_UNKNOWN = 20,
    PDX_COMMAND_UNSUPPORTED = 21,
    PDX_DEVICE_RESPONSE_INCORRECT_FORMAT = 22,
    PDX_DEVICE_UNEXPECTED_RESPONSE = 23,
    PDX_DEVICE_RETURNS_ERROR = 24,
    PDX_DEVICE_IS_NOT_STABILIZED = 25,
    PDX_UNKNOWN_EXCEPTION_WAS_CAUGHT = 26,
    PDX_OPEN_CHECK_VALUES_IS_NOT_EQ = 27,
    PDX_JSON_KEY_MISSING = 28,
    PDX_JSON_ANOTHER_FILE_EXTENSION = 29,
    PDX_JSON_FILE_DOES_NOT_EXIST = 30,
    PDX_JSON_FILE_PARSING_PROBLEM = 31,
    PDX_COMMAND_LINE_INCORRECT_ARGUMENT = 32,
    PDX_UNABLE_TO_OPEN_FILE = 33,
    PDX_WRONG_MODEL_CHOSEN = 34,
    PDX_ESCAPE_CLICKED = 35,
    PDX_LOGIC_DEVICE_JSON_ERROR = 36,
    PDX_LOGIC_DEVICE_NOT_FOUND = 37,
    PDX_NOT_ALL_PARAMS_ARE_SET_IN_LOGIC_DEVICE = 38
};

/* Languages of pdx_error_description. */
enum { PDX_RUSSIAN = 1, PDX_ENGLISH = 2 };

/* The unit a reading is in. */
enum { PDX_KILOGRAM = 0, PDX_GRAM = 1, PDX_POUND = 2 };

/* One reading of the weight channel. A weight is `value` times 10^-decimals of `unit`: 1234 with
 * decimals 3 and PDX_KILOGRAM is 1.234 kg. */
typedef struct pdx_reading {
    int64_t net;         /* net weight */
    int64_t tare;        /* valid when has_tare is 1 */
    int32_t decimals;    /* of net and tare */
    int32_t unit;        /* PDX_KILOGRAM, PDX_GRAM or PDX_POUND */
    int32_t has_tare;    /* 0 where the protocol reports no tare (CAS) */
    int32_t stable;      /* 1 when the weight has settled */
    int32_t zero;        /* 1 at the zero point */
    int32_t overload;    /* 1 when the load is over the scale's range; net is then not a weight. A POS
                          * scale tells it only with the service protocol (its maximum weight). */
} pdx_reading;

/* The scale's own settings (its service protocol). The numbers are the driver's parameters;
 * pdx_setting_name and pdx_setting_from_name give their names ("MaxWeight"). */
enum {
    PDX_SCALES_MODEL = 1,
    PDX_FIRMWARE_VERSION1 = 2,
    PDX_FIRMWARE_VERSION2 = 3, /* read only */
    PDX_PROTOCOL_VERSION = 4,
    PDX_SERIAL_NUMBER = 5,
    PDX_MAX_WEIGHT = 6,
    PDX_DISCRET = 7,
    PDX_VALUE_OF_AUTO_SET_TO_ZERO = 8,
    PDX_TIME_OF_AUTO_SET_TO_ZERO = 9,
    PDX_RANGE_OF_AUTO_SET_TO_ZERO = 10,
    PDX_RANGE_OF_KEY_TO_ZERO = 11,
    PDX_RANGE_OF_TARE = 12,
    PDX_RANGE_OF_OVERLOADS = 13,
    PDX_AUTO_OFF = 14,
    PDX_LIGHT_LEVEL = 15,
    PDX_WEIGHT_CALIBRATION = 16,
    PDX_MODE_OF_CALIBRATION = 18,
    PDX_COUNT_OF_CALIBRATION = 19, /* read only */
    PDX_UNIT_OF_MEASURE = 20,
    PDX_POWER_SAVING_MODE = 21
};

/* Fields of a logic device, all texts; a device just added has them empty. */
enum {
    PDX_FIELD_IS_CURRENT = 0, /* read only: "true" or "false" */
    PDX_FIELD_ID = 1,         /* read only */
    PDX_FIELD_NAME = 2,
    PDX_FIELD_CONNECTION_TYPE = 3, /* "Serial Port" or "TCP" */
    PDX_FIELD_END_POINT = 4,       /* "/dev/ttyUSB0", or "192.168.1.20" / "192.168.1.20:5001" */
    PDX_FIELD_BAUD_RATE = 5,
    PDX_FIELD_MODEL = 6,
    PDX_FIELD_PROTOCOL = 7
};

/* Serial line options of an open scale (pdx_option_get/set). */
enum {
    PDX_OPTION_BAUD_RATE = 1,
    PDX_OPTION_CHARACTER_SIZE = 2,
    PDX_OPTION_STOP_BITS = 3,
    PDX_OPTION_PARITY = 4,
    PDX_OPTION_FLOW_CONTROL = 5
};

typedef struct pdx_scale pdx_scale;

/* ---- The library ---- */
PDX_API int32_t pdx_version(char* buffer, size_t size, size_t* length);
/* The identifier of a code ("ConnectionError"); PDX_ERROR_CASE_UNKNOWN for a number outside the list. */
PDX_API int32_t pdx_error_name(int32_t code, char* buffer, size_t size, size_t* length);
/* The description of a code in PDX_RUSSIAN or PDX_ENGLISH. */
PDX_API int32_t pdx_error_description(int32_t code, int32_t language, char* buffer, size_t size, size_t* length);

/* ---- A scale ---- */
PDX_API int32_t pdx_create(pdx_scale** scale);
PDX_API int32_t pdx_destroy(pdx_scale* scale);
/* Opens the scale of a stored logic device and makes it the current one; fills in a detected
 * protocol and model. */
PDX_API int32_t pdx_open_logic_device(pdx_scale* scale, uint32_t id);
PDX_API int32_t pdx_open_current(pdx_scale* scale);
/* Opens an end point directly; nothing is stored. A path ("/dev/ttyUSB0") is a serial port, anything
 * else a TCP address ("192.168.1.20", port 77, or "host:port"). protocol is a protocol name
 * ("POS2K", "POS2KProV1", "CAS-K", "CAS-K ProV1", "CAS-K-Active", "OKA") or "auto", model a model
 * or "auto"; NULL means "auto". An unknown protocol is PDX_PARAM_VALUE_UNKNOWN. baud_rate 0 means
 * 9600 (4800 and 9600 are the scales' rates; another is PDX_PARAM_VALUE_UNSUPPORTED). */
PDX_API int32_t pdx_open_end_point(pdx_scale* scale, const char* end_point, const char* protocol, const char* model,
                                   uint32_t baud_rate);
PDX_API int32_t pdx_close(pdx_scale* scale);
PDX_API int32_t pdx_is_open(pdx_scale* scale, int32_t* open);
/* The protocol in use: the stored or detected one ("POS2K", "CAS-K-Active", ...). */
PDX_API int32_t pdx_protocol(pdx_scale* scale, char* buffer, size_t size, size_t* length);

/* ---- Weighing ---- */
/* Reads the weight channel once. Where a reply carries no value, the fields keep the handle's
 * previous reading, as a display would. */
PDX_API int32_t pdx_read(pdx_scale* scale, pdx_reading* reading);
PDX_API int32_t pdx_tare(pdx_scale* scale);
PDX_API int32_t pdx_zero(pdx_scale* scale);
PDX_API int32_t pdx_specify_tare(pdx_scale* scale, uint32_t grams);

/* ---- Settings of the scale ---- */
PDX_API int32_t pdx_setting_get(pdx_scale* scale, int32_t setting, char* buffer, size_t size, size_t* length);
PDX_API int32_t pdx_setting_set(pdx_scale* scale, int32_t setting, const char* value);
/* The settings this library knows, ascending, filled like pdx_logic_device_list. */
PDX_API int32_t pdx_setting_list(int32_t* settings, size_t capacity, size_t* count);
PDX_API int32_t pdx_setting_name(int32_t setting, char* buffer, size_t size, size_t* length);
PDX_API int32_t pdx_setting_from_name(const char* name, int32_t* setting);

/* ---- Calibration (service protocol; the load must be at rest) ---- */
PDX_API int32_t pdx_calibrate_zero(pdx_scale* scale);
/* The reference load in grams: whole kilograms, from 3 kg to the scale's maximum. */
PDX_API int32_t pdx_calibrate_weight(pdx_scale* scale, uint32_t grams);
PDX_API int32_t pdx_calibration_count(pdx_scale* scale, uint32_t* count);

/* ---- The driver's raw vocabulary, for what the calls above do not name ---- */
PDX_API int32_t pdx_execute(pdx_scale* scale, int32_t command);
PDX_API int32_t pdx_param_get(pdx_scale* scale, int32_t param, char* buffer, size_t size, size_t* length);
PDX_API int32_t pdx_param_set(pdx_scale* scale, int32_t param, const char* value);
PDX_API int32_t pdx_input_param_get(pdx_scale* scale, int32_t param, char* buffer, size_t size, size_t* length);
PDX_API int32_t pdx_option_get(pdx_scale* scale, int32_t option, char* buffer, size_t size, size_t* length);
PDX_API int32_t pdx_option_set(pdx_scale* scale, int32_t option, const char* value);

/* ---- Logic devices ---- */
/* Stored ids in ascending order: `*count` receives how many there are; up to `capacity` are
 * written; PDX_INCORRECT_ARGUMENTS when they do not all fit (ids NULL with capacity 0 only counts). */
PDX_API int32_t pdx_logic_device_list(uint32_t* ids, size_t capacity, size_t* count);
PDX_API int32_t pdx_logic_device_add(uint32_t* id);
PDX_API int32_t pdx_logic_device_delete(uint32_t id);
PDX_API int32_t pdx_logic_device_get(uint32_t id, int32_t field, char* buffer, size_t size, size_t* length);
PDX_API int32_t pdx_logic_device_set(uint32_t id, int32_t field, const char* value);
PDX_API int32_t pdx_logic_device_current(uint32_t* id);
PDX_API int32_t pdx_logic_device_use(uint32_t id);

/* ---- Logging ---- */
/* The log folder in use. */
PDX_API int32_t pdx_logging_path(char* buffer, size_t size, size_t* length);
/* A key of the logging settings file: "file_name", "max_size", "max_files", "severity_level". A key
 * the file does not hold is PDX_PARAM_TYPE_UNKNOWN. */
PDX_API int32_t pdx_logging_setting_get(const char* key, char* buffer, size_t size, size_t* length);
PDX_API int32_t pdx_logging_setting_set(const char* key, const char* value);
/* The level logged from now on: 0 trace, 1 info, 2 warning, 3 error. */
PDX_API int32_t pdx_logging_set_mode(uint32_t mode);

#ifdef __cplusplus
}
#endif

#endif /* PONDERIX_PONDERIX_H */
