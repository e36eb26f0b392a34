/* Preloaded into the utility while the README's pictures are made: the About box shows the
   machine's memory, and a picture should show the same on every machine. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <sys/sysinfo.h>

int sysinfo(struct sysinfo* info)
{
    int (*real)(struct sysinfo*) = (int (*)(struct sysinfo*))dlsym(RTLD_NEXT, "sysinfo");
    int result = real(info);
    if (result == 0) {
        info->mem_unit = 1;
        info->totalram = 4096UL << 20;
        info->freeram = 3072UL << 20;
        info->totalswap = 0;
        info->freeswap = 0;
    }
    return result;
}
