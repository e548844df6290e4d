/*
 * The reference flipper driver, K3V_DD.so. Once started it shows the surface
 * that holds the first eye (eye value 1) and the one that holds the second
 * (eye value 0) alternately, one a display refresh, on a thread of its own
 * paced by the vertical blank (or by the refresh rate where the display
 * cannot wait for the blank). Where the display is quad-buffered it presents
 * both eyes in one swap at every refresh instead.
 *
 * Surfaces are taken over eye by eye: a surface marked with SetEye replaces
 * the old one of its eye at that eye's next field, so a field never shows
 * the wrong eye. Status reports the surfaces in use (shown or queued) as
 * busy, except one that its eye has given up (another is queued for its next
 * field) once it is off the screen: the eye never shows it again, so the
 * host may draw the next pair into it without waiting for that eye's field.
 * Asked about a given-up surface still on the screen, Status waits for the
 * next field, so the host never draws into a surface on screen.
 *
 * Links only the C library and pthreads.
 */
#include <errno.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "plexo/k3v_dd.h"

#define EXPORT __attribute__((visibility("default")))

enum { kEyes = 2 };
/* Status waits for a field at most this long, in case the display has
 * stopped refreshing; it then reports the surface busy. */
static const long kMaxWaitNanoseconds = 1000000000L;

typedef struct Driver {
    pthread_mutex_t mutex;
    pthread_cond_t changed;
    pthread_t thread;
    int running;
    int stop;
    K3V_DirectDraw* dd;
    int quadBuffered;
    uint32_t hertz;
    /* Indexed by eye value: the surface shown for that eye, and the one that
     * takes its place at the eye's next field. */
    K3V_Surface* shown[kEyes];
    K3V_Surface* pending[kEyes];
    /* The surfaces of the field presented last (the second only where both
     * eyes go in one swap). */
    K3V_Surface* onScreen[kEyes];
} Driver;

static Driver* Of(K3V_FlipperDriver* record) { return (Driver*)record->driverData; }

static void AddNanoseconds(struct timespec* t, long ns)
{
    t->tv_nsec += ns;
    while (t->tv_nsec >= 1000000000L) {
        t->tv_nsec -= 1000000000L;
        ++t->tv_sec;
    }
}

static int Earlier(const struct timespec* a, const struct timespec* b)
{
    return a->tv_sec < b->tv_sec || (a->tv_sec == b->tv_sec && a->tv_nsec < b->tv_nsec);
}

static long FieldNanoseconds(const Driver* d) { return 1000000000L / (long)(d->hertz ? d->hertz : 60); }

/* The surface for this field's eye, after taking over a pending one. */
static K3V_Surface* TakeField(Driver* d, uint32_t eye)
{
    if (d->pending[eye]) {
        d->shown[eye] = d->pending[eye];
        d->pending[eye] = NULL;
    }
    pthread_cond_broadcast(&d->changed);
    return d->shown[eye];
}

static void* Run(void* arg)
{
    Driver* d = arg;
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    uint32_t eye = K3V_EYE_FIRST;
    pthread_mutex_lock(&d->mutex);
    while (!d->stop) {
        pthread_mutex_unlock(&d->mutex);
        if (d->dd->ops->WaitForVerticalBlank(d->dd, K3V_DDWAITVB_BLOCKBEGIN, NULL) != K3V_DD_OK) {
            AddNanoseconds(&next, FieldNanoseconds(d));
            /* Fields missed while the thread was held up, or while the
             * display still waited for the blank, are not made up for with
             * a burst of fields shorter than a refresh. */
            struct timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            if (Earlier(&next, &now))
                next = now;
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL) == EINTR) {
            }
        }
        pthread_mutex_lock(&d->mutex);
        if (d->stop)
            break;
        if (d->quadBuffered) {
            K3V_Surface* left = TakeField(d, K3V_EYE_FIRST);
            K3V_Surface* right = TakeField(d, K3V_EYE_SECOND);
            if (left && right) {
                d->onScreen[0] = left;
                d->onScreen[1] = right;
            }
            pthread_mutex_unlock(&d->mutex);
            if (left && right)
                d->dd->ops->PresentStereo(d->dd, left, right);
        } else {
            /* The eye moves on only with a field shown, so the first field
             * shown is the first eye's and no eye is shown twice running. */
            K3V_Surface* surface = TakeField(d, eye);
            if (surface) {
                eye = eye == K3V_EYE_FIRST ? K3V_EYE_SECOND : K3V_EYE_FIRST;
                d->onScreen[0] = surface;
                d->onScreen[1] = NULL;
            }
            pthread_mutex_unlock(&d->mutex);
            if (surface)
                d->dd->ops->Present(d->dd, surface);
        }
        pthread_mutex_lock(&d->mutex);
    }
    pthread_mutex_unlock(&d->mutex);
    return NULL;
}

static void Halt(Driver* d)
{
    pthread_mutex_lock(&d->mutex);
    const int running = d->running;
    d->stop = 1;
    d->running = 0;
    pthread_cond_broadcast(&d->changed);
    pthread_mutex_unlock(&d->mutex);
    if (running)
        pthread_join(d->thread, NULL);
    d->dd = NULL;
}

/* The host's DirectDraw object on the default device, for questions asked
 * before flipping starts. */
static K3V_DirectDraw* AskDisplay(K3V_FlipperDriver* record)
{
    K3V_DirectDraw* dd = NULL;
    if (!record->host || !K3V_HAS_ENTRY(record->host, DirectDrawCreate) ||
        record->host->DirectDrawCreate(NULL, &dd, NULL) != K3V_DD_OK)
        return NULL;
    return dd;
}

static int QuadBuffered(K3V_DirectDraw* dd)
{
    uint32_t quad = 0;
    return K3V_HAS_ENTRY(dd->ops, PresentStereo) && dd->ops->GetStereoCaps(dd, &quad) == K3V_DD_OK && quad;
}

static K3V_Result StartStereo(K3V_FlipperDriver* record, uint32_t adapter, K3V_DirectDraw* dd, K3V_Surface* first,
                              K3V_Surface* second)
{
    (void)adapter, (void)first, (void)second;
    Driver* d = Of(record);
    if (!d || !dd || !K3V_HAS_ENTRY(dd->ops, Present))
        return 1;
    Halt(d);
    pthread_mutex_lock(&d->mutex);
    /* The host keeps the object until flipping has stopped. */
    d->dd = dd;
    d->quadBuffered = QuadBuffered(dd);
    if (dd->ops->GetMonitorFrequency(dd, &d->hertz) != K3V_DD_OK)
        d->hertz = 60;
    memset(d->shown, 0, sizeof d->shown);
    memset(d->pending, 0, sizeof d->pending);
    memset(d->onScreen, 0, sizeof d->onScreen);
    d->stop = 0;
    d->running = pthread_create(&d->thread, NULL, Run, d) == 0;
    pthread_mutex_unlock(&d->mutex);
    return d->running ? 0 : 1;
}

static K3V_Result StopStereo(K3V_FlipperDriver* record, uint32_t adapter, K3V_DirectDraw* dd, K3V_Surface* first,
                             K3V_Surface* second)
{
    (void)adapter, (void)dd, (void)first, (void)second;
    if (Of(record))
        Halt(Of(record));
    return 0;
}

static K3V_Result SetEye(K3V_FlipperDriver* record, uint32_t adapter, K3V_Surface* surface, uint32_t eye)
{
    (void)adapter;
    Driver* d = Of(record);
    if (!d || eye >= kEyes)
        return 1;
    pthread_mutex_lock(&d->mutex);
    d->pending[eye] = surface;
    pthread_mutex_unlock(&d->mutex);
    return 0;
}

/* Every field is presented anyway: a marked surface is shown at its eye's
 * next field without being asked. */
static K3V_Result Present(K3V_FlipperDriver* record, uint32_t adapter, uint32_t now)
{
    (void)record, (void)adapter, (void)now;
    return 0;
}

/* The eye that has given up this shown surface (another is queued for its
 * next field, and the other eye neither shows nor queues it), or -1. */
static int GivenUp(const Driver* d, const K3V_Surface* s)
{
    for (int eye = 0; eye < kEyes; ++eye)
        if (d->shown[eye] == s && d->pending[eye] && d->pending[eye] != s && d->shown[1 - eye] != s &&
            d->pending[1 - eye] != s)
            return eye;
    return -1;
}

static int OnScreen(const Driver* d, const K3V_Surface* s) { return d->onScreen[0] == s || d->onScreen[1] == s; }

static uint32_t StatusOf(const Driver* d, const K3V_Surface* s)
{
    const int released = d->running && GivenUp(d, s) >= 0 && !OnScreen(d, s);
    uint32_t status = 0;
    for (int eye = 0; eye < kEyes; ++eye) {
        if (d->shown[eye] == s && !released)
            status |= K3V_STATUS_SHOWN;
        if (d->pending[eye] == s)
            status |= K3V_STATUS_QUEUED;
    }
    return status;
}

static K3V_Result GetStatus(K3V_FlipperDriver* record, uint32_t adapter, K3V_Surface* surface, uint32_t* status)
{
    (void)adapter;
    Driver* d = Of(record);
    if (!d || !status)
        return 1;
    pthread_mutex_lock(&d->mutex);
    if (d->running && GivenUp(d, surface) >= 0) {
        struct timespec deadline;
        clock_gettime(CLOCK_REALTIME, &deadline);
        AddNanoseconds(&deadline, kMaxWaitNanoseconds);
        while (d->running && GivenUp(d, surface) >= 0 && OnScreen(d, surface) &&
               pthread_cond_timedwait(&d->changed, &d->mutex, &deadline) == 0) {
        }
    }
    *status = StatusOf(d, surface);
    pthread_mutex_unlock(&d->mutex);
    return 0;
}

static K3V_Result GetCaps(K3V_FlipperDriver* record, uint32_t adapter, K3V_DriverCaps* caps)
{
    (void)adapter;
    if (!caps || caps->size < sizeof(K3V_DriverCaps))
        return 1;
    K3V_DirectDraw* dd = AskDisplay(record);
    const int quad = dd && QuadBuffered(dd);
    if (dd)
        dd->ops->Release(dd);
    caps->caps1 = quad ? 0 : K3V_CAPS1_ALTERNATES;
    caps->caps2 = quad ? K3V_CAPS2_ONE_SWAP : 0;
    return 0;
}

static K3V_Result GetDeviceName(K3V_FlipperDriver* record, uint32_t adapter, K3V_FlipDisplayInfo* info)
{
    (void)adapter;
    K3V_DirectDraw* dd = AskDisplay(record);
    if (!dd)
        return 1;
    const K3V_HRESULT r = dd->ops->GetDeviceName(dd, info->deviceName, sizeof info->deviceName);
    dd->ops->Release(dd);
    return r == K3V_DD_OK ? 0 : 1;
}

static void Cleanup(K3V_FlipperDriver* record)
{
    Driver* d = Of(record);
    if (!d)
        return;
    Halt(d);
    pthread_cond_destroy(&d->changed);
    pthread_mutex_destroy(&d->mutex);
    free(d);
    record->driverData = NULL;
}

EXPORT K3V_Result K3V_DDFillFunctions(K3V_FlipperDriver* record)
{
    Driver* d = calloc(1, sizeof *d);
    K3V_Extension* e = calloc(1, sizeof *e);
    if (!d || !e || !record->functions) {
        free(d);
        free(e);
        return 1;
    }
    pthread_mutex_init(&d->mutex, NULL);
    pthread_cond_init(&d->changed, NULL);
    record->driverData = d;
    e->size = sizeof *e;
    e->Cleanup = Cleanup;
    e->GetDeviceName = GetDeviceName;
    record->extension = e;
    K3V_FunctionTable* t = record->functions;
    t->StartStereo = StartStereo;
    t->StopStereo = StopStereo;
    t->Present = Present;
    t->SetEye = SetEye;
    t->GetCaps = GetCaps;
    t->GetStatus = GetStatus;
    return 0;
}
