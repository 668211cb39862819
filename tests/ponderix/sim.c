#define _GNU_SOURCE
#include "sim.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

static int read_line(FILE* from, char* line, size_t size) {
    if (fgets(line, (int)size, from) == NULL) return -1;
    line[strcspn(line, "\r\n")] = '\0';
    return 0;
}

int sim_start(sim* s, const char* const* options) {
    int in[2], out[2];
    /* Close-on-exec: a second simulator must not hold the first one's input open. */
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return -1;
    const char* argv[16] = {SCALE_SIM_PATH};
    for (int i = 0; options[i] != NULL && i < 14; ++i) argv[i + 1] = options[i];
    s->pid = fork();
    if (s->pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        close(in[1]);
        close(out[0]);
        execv(SCALE_SIM_PATH, (char* const*)argv);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    s->control = fdopen(in[1], "w");
    s->answers = fdopen(out[0], "r");
    setvbuf(s->control, NULL, _IOLBF, 0);
    return read_line(s->answers, s->endpoint, sizeof s->endpoint);
}

int sim_send(sim* s, const char* line, char* answer, size_t size) {
    if (fprintf(s->control, "%s\n", line) < 0) return -1;
    return read_line(s->answers, answer, size);
}

void sim_stop(sim* s) {
    /* The end of its input makes it quit. */
    fclose(s->control);
    fclose(s->answers);
    waitpid(s->pid, NULL, 0);
}
