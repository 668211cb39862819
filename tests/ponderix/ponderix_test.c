/* libponderix from C, compiled as C: a simulated scale read, tared and configured through the
 * interface, logic devices, and the refusals of bad input. */
#define _POSIX_C_SOURCE 200809L
#include <ponderix/ponderix.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim.h"

static int failures = 0;

#define CHECK(condition)                                                         \
    do {                                                                         \
        if (!(condition)) {                                                      \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                          \
        }                                                                        \
    } while (0)
#define CHECK_CODE(expected, call)                                                         \
    do {                                                                                   \
        const int32_t code_ = (call);                                                      \
        if (code_ != (expected)) {                                                         \
            fprintf(stderr, "%s:%d: %s gave %d, not %d\n", __FILE__, __LINE__, #call, code_, \
                    (int)(expected));                                                      \
            ++failures;                                                                    \
        }                                                                                  \
    } while (0)

static void control(sim* s, const char* line) {
    char answer[256];
    CHECK(sim_send(s, line, answer, sizeof answer) == 0 && strcmp(answer, "ok") == 0);
}

static pdx_scale* open_sim(sim* s, const char* protocol) {
    pdx_scale* scale = NULL;
    CHECK_CODE(PDX_CORRECT, pdx_create(&scale));
    CHECK_CODE(PDX_CORRECT, pdx_open_end_point(scale, s->endpoint, protocol, "auto", 0));
    return scale;
}

/* A Pro POS scale: detected, read, tared, zeroed, configured and its calibration counted. */
static void weighs_and_configures(void) {
    const char* options[] = {"--pty", "--protocol", "pos", NULL};
    sim s;
    CHECK(sim_start(&s, options) == 0);
    control(&s, "weight 1234");
    control(&s, "stable 1");
    pdx_scale* scale = open_sim(&s, NULL);

    char text[PDX_TEXT_SIZE];
    size_t length = 0;
    CHECK_CODE(PDX_CORRECT, pdx_protocol(scale, text, sizeof text, &length));
    CHECK(strcmp(text, "POS2KProV1") == 0 && length == strlen(text));

    pdx_reading reading;
    CHECK_CODE(PDX_CORRECT, pdx_read(scale, &reading));
    CHECK(reading.net == 1234 && reading.decimals == 3 && reading.unit == PDX_KILOGRAM);
    CHECK(reading.has_tare && reading.tare == 0 && reading.stable && !reading.zero && !reading.overload);

    CHECK_CODE(PDX_CORRECT, pdx_tare(scale));
    CHECK_CODE(PDX_CORRECT, pdx_read(scale, &reading));
    CHECK(reading.net == 0 && reading.tare == 1234 && reading.zero);
    CHECK_CODE(PDX_CORRECT, pdx_specify_tare(scale, 500));
    CHECK_CODE(PDX_CORRECT, pdx_read(scale, &reading));
    CHECK(reading.net == 734 && reading.tare == 500);

    int32_t max_weight = 0;
    CHECK_CODE(PDX_CORRECT, pdx_setting_from_name("MaxWeight", &max_weight));
    CHECK_CODE(PDX_CORRECT, pdx_setting_set(scale, max_weight, "15"));
    CHECK_CODE(PDX_CORRECT, pdx_setting_get(scale, max_weight, text, sizeof text, NULL));
    CHECK(strcmp(text, "15") == 0);
    char answer[64];
    CHECK(sim_send(&s, "get max", answer, sizeof answer) == 0 && strcmp(answer, "max=15") == 0);
    CHECK_CODE(PDX_PARAM_TYPE_UNSUPPORTED, pdx_setting_set(scale, PDX_FIRMWARE_VERSION2, "2"));

    uint32_t before = 0, after = 0;
    CHECK_CODE(PDX_CORRECT, pdx_calibration_count(scale, &before));
    CHECK_CODE(PDX_CORRECT, pdx_calibrate_weight(scale, 5000));
    CHECK_CODE(PDX_CORRECT, pdx_calibration_count(scale, &after));
    CHECK(after == before + 1);
    CHECK_CODE(PDX_PARAM_VALUE_UNSUPPORTED, pdx_calibrate_weight(scale, 5500));

    CHECK_CODE(PDX_CORRECT, pdx_destroy(scale));
    sim_stop(&s);
}

/* A CAS scale in pounds: the reading keeps the scale's division and carries no tare. */
static void reads_cas_pounds(void) {
    const char* options[] = {"--pty", "--protocol", "cas", "--plain", NULL};
    sim s;
    CHECK(sim_start(&s, options) == 0);
    control(&s, "unit lb");
    control(&s, "weight 2500");
    pdx_scale* scale = open_sim(&s, "CAS-K");
    pdx_reading reading;
    CHECK_CODE(PDX_CORRECT, pdx_read(scale, &reading));
    CHECK(reading.unit == PDX_POUND && !reading.has_tare);
    /* 2500 g shown as 5.51 lb */
    CHECK(reading.decimals == 3 && reading.net == 5510);
    CHECK_CODE(PDX_CORRECT, pdx_destroy(scale));
    sim_stop(&s);
}

/* A stored logic device opens the scale and persists its fields. */
static void opens_a_logic_device(void) {
    const char* options[] = {"--pty", "--protocol", "oka", "--plain", NULL};
    sim s;
    CHECK(sim_start(&s, options) == 0);
    control(&s, "weight 250");
    uint32_t id = 0, current = 0;
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_add(&id));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_set(id, PDX_FIELD_NAME, "Весы 1"));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_set(id, PDX_FIELD_END_POINT, s.endpoint));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_set(id, PDX_FIELD_CONNECTION_TYPE, "Serial Port"));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_set(id, PDX_FIELD_BAUD_RATE, "9600"));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_set(id, PDX_FIELD_MODEL, "auto"));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_set(id, PDX_FIELD_PROTOCOL, "OKA"));
    uint32_t ids[8];
    size_t count = 0;
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_list(ids, 8, &count));
    CHECK(count >= 2 && ids[count - 1] == id);
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_logic_device_list(ids, 1, &count));

    pdx_scale* scale = NULL;
    CHECK_CODE(PDX_CORRECT, pdx_create(&scale));
    CHECK_CODE(PDX_CORRECT, pdx_open_logic_device(scale, id));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_current(&current));
    CHECK(current == id);
    pdx_reading reading;
    CHECK_CODE(PDX_CORRECT, pdx_read(scale, &reading));
    CHECK(reading.net == 250);
    char name[PDX_TEXT_SIZE];
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_get(id, PDX_FIELD_NAME, name, sizeof name, NULL));
    CHECK(strcmp(name, "Весы 1") == 0);
    CHECK_CODE(PDX_CORRECT, pdx_destroy(scale));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_use(ids[0]));
    CHECK_CODE(PDX_CORRECT, pdx_logic_device_delete(id));
    CHECK_CODE(PDX_LOGIC_DEVICE_NOT_FOUND, pdx_logic_device_get(id, PDX_FIELD_NAME, name, sizeof name, NULL));
    sim_stop(&s);
}

typedef struct {
    pdx_scale* scale;
    int failed;
} worker;

static void* read_and_tare(void* argument) {
    worker* w = argument;
    pdx_reading reading;
    for (int i = 0; i < 40; ++i) {
        if (pdx_read(w->scale, &reading) != PDX_CORRECT || (i % 8 == 0 && pdx_tare(w->scale) != PDX_CORRECT))
            ++w->failed;
    }
    return NULL;
}

/* Two threads on one handle never interleave their exchanges; other handles run beside them. */
static void serialises_calls_on_a_handle(void) {
    const char* options[] = {"--pty", "--protocol", "pos", "--plain", NULL};
    sim first, second;
    CHECK(sim_start(&first, options) == 0 && sim_start(&second, options) == 0);
    pdx_scale* shared = open_sim(&first, "POS2K");
    pdx_scale* other = open_sim(&second, "POS2K");
    worker workers[3] = {{shared, 0}, {shared, 0}, {other, 0}};
    pthread_t threads[3];
    for (int i = 0; i < 3; ++i) pthread_create(&threads[i], NULL, read_and_tare, &workers[i]);
    for (int i = 0; i < 3; ++i) pthread_join(threads[i], NULL);
    for (int i = 0; i < 3; ++i) CHECK(workers[i].failed == 0);
    pdx_destroy(shared);
    pdx_destroy(other);
    sim_stop(&first);
    sim_stop(&second);
}

/* Every refusal leaves the caller's memory as it was, beyond what the call may write. */
static void refuses_bad_input(void) {
    char text[8];
    size_t length = 0;
    pdx_reading reading;
    int32_t flag = 0;
    uint32_t number = 0;

    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_create(NULL));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_destroy(NULL));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_open_current(NULL));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_open_logic_device(NULL, 1));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_open_end_point(NULL, "/dev/null", NULL, NULL, 0));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_close(NULL));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_is_open(NULL, &flag));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_protocol(NULL, text, sizeof text, &length));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_read(NULL, &reading));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_tare(NULL));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_zero(NULL));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_specify_tare(NULL, 1));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_setting_get(NULL, PDX_MAX_WEIGHT, text, sizeof text, &length));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_setting_set(NULL, PDX_MAX_WEIGHT, "1"));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_calibrate_zero(NULL));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_calibrate_weight(NULL, 3000));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_calibration_count(NULL, &number));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_execute(NULL, 51));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_param_get(NULL, 23, text, sizeof text, &length));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_param_set(NULL, 23, "1"));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_input_param_get(NULL, 23, text, sizeof text, &length));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_option_get(NULL, PDX_OPTION_BAUD_RATE, text, sizeof text, &length));
    CHECK_CODE(PDX_HANDLE_NULL, pdx_option_set(NULL, PDX_OPTION_BAUD_RATE, "9600"));

    pdx_scale* scale = NULL;
    CHECK_CODE(PDX_CORRECT, pdx_create(&scale));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_is_open(scale, NULL));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_read(scale, NULL));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_calibration_count(scale, NULL));
    CHECK_CODE(PDX_CONNECTION_ERROR, pdx_read(scale, &reading));
    CHECK_CODE(PDX_PARAM_TYPE_UNKNOWN, pdx_setting_get(scale, 999, text, sizeof text, &length));
    CHECK_CODE(PDX_PARAM_TYPE_UNKNOWN, pdx_param_get(scale, -1, text, sizeof text, &length));
    CHECK_CODE(PDX_OPTION_UNKNOWN, pdx_option_set(scale, 99, "1"));
    CHECK_CODE(PDX_COMMAND_UNKNOWN, pdx_execute(scale, 9999));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_open_end_point(scale, "/dev/\xff", NULL, NULL, 0));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_open_end_point(scale, NULL, NULL, NULL, 0));
    CHECK_CODE(PDX_PARAM_VALUE_UNKNOWN, pdx_open_end_point(scale, "/dev/null", "XYZ", NULL, 0));
    CHECK_CODE(PDX_UNABLE_TO_OPEN_SERIAL_PORT, pdx_open_end_point(scale, "/dev/no-such-port", NULL, NULL, 0));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_param_set(scale, 23, "\xc3\x28"));
    CHECK_CODE(PDX_CORRECT, pdx_destroy(scale));
    CHECK_CODE(PDX_HANDLE_DOES_NOT_EXIST, pdx_destroy(scale));
    CHECK_CODE(PDX_HANDLE_DOES_NOT_EXIST, pdx_tare(scale));

    /* A buffer too small: its beginning, NUL-terminated, and not one byte past it. */
    char guarded[8];
    memset(guarded, '#', sizeof guarded);
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_error_name(PDX_CONNECTION_ERROR, guarded, 5, &length));
    CHECK(length == strlen("ConnectionError") && strcmp(guarded, "Conn") == 0 && guarded[5] == '#');
    CHECK_CODE(PDX_CORRECT, pdx_error_name(PDX_CONNECTION_ERROR, NULL, 0, &length));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_error_name(PDX_CONNECTION_ERROR, NULL, 4, &length));
    CHECK_CODE(PDX_ERROR_CASE_UNKNOWN, pdx_error_name(39, text, sizeof text, &length));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_error_description(PDX_TIMEOUT, 3, text, sizeof text, &length));
    char russian[PDX_TEXT_SIZE];
    CHECK_CODE(PDX_CORRECT, pdx_error_description(PDX_CORRECT, PDX_RUSSIAN, russian, sizeof russian, &length));
    CHECK(length == strlen(russian) && length > 0);
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_setting_from_name("Max\xffWeight", &flag));
    CHECK_CODE(PDX_PARAM_TYPE_UNKNOWN, pdx_setting_from_name("Weight", &flag));
    int32_t settings[32];
    size_t count = 0;
    CHECK_CODE(PDX_CORRECT, pdx_setting_list(settings, 32, &count));
    CHECK(count == 20 && settings[0] == PDX_SCALES_MODEL && settings[19] == PDX_POWER_SAVING_MODE);
    CHECK_CODE(PDX_PARAM_TYPE_UNKNOWN, pdx_logic_device_set(1, 42, "x"));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_logic_device_list(NULL, 0, NULL));
    CHECK_CODE(PDX_PARAM_TYPE_UNKNOWN, pdx_logging_setting_set("no_such_key", "1"));
    CHECK_CODE(PDX_INCORRECT_ARGUMENTS, pdx_logging_set_mode(7));
}

static void reports_library_facts(void) {
    char text[PDX_TEXT_SIZE];
    CHECK_CODE(PDX_CORRECT, pdx_version(text, sizeof text, NULL));
    CHECK(strcmp(text, PONDERIX_TEST_VERSION) == 0);
    CHECK_CODE(PDX_CORRECT, pdx_logging_setting_set("max_files", "4"));
    CHECK_CODE(PDX_CORRECT, pdx_logging_setting_get("max_files", text, sizeof text, NULL));
    CHECK(strcmp(text, "4") == 0);
    CHECK_CODE(PDX_CORRECT, pdx_logging_path(text, sizeof text, NULL));
    CHECK(strstr(text, "/NORVELL/Ponderix/logs") != NULL);
}

int main(void) {
    char appdata[] = "/tmp/ponderix-c-test-XXXXXX";
    if (mkdtemp(appdata) == NULL || setenv("APPDATA", appdata, 1) != 0) return 2;
    reports_library_facts();
    refuses_bad_input();
    weighs_and_configures();
    reads_cas_pounds();
    opens_a_logic_device();
    serialises_calls_on_a_handle();
    if (failures == 0) puts("all checks passed");
    return failures == 0 ? 0 : 1;
}
