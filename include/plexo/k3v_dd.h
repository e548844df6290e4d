/*
 * The C interface between Plexo and a flipper driver (K3V_DD.so): the
 * DirectDraw stand-in's object and surface tables, which the driver is handed
 * when flipping starts, and the driver's own function and extension tables.
 *
 * Every table begins with its size in bytes. Entries are only ever added at
 * the end, so a driver built against an older copy of this header keeps
 * working: before calling an entry, check that the table reaches it with
 * K3V_HAS_ENTRY.
 */
#ifndef PLEXO_K3V_DD_H
#define PLEXO_K3V_DD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define K3V_HAS_ENTRY(table, entry) \
    ((table) != NULL && (table)->size >= offsetof(__typeof__(*(table)), entry) + sizeof((table)->entry) && \
     (table)->entry != NULL)

typedef int32_t K3V_HRESULT;

/* DirectDraw's published result codes. */
#define K3V_DD_OK ((K3V_HRESULT)0)
#define K3V_DDERR_GENERIC ((K3V_HRESULT)0x80004005u)
#define K3V_DDERR_UNSUPPORTED ((K3V_HRESULT)0x80004001u)
#define K3V_DDERR_INCOMPATIBLEPRIMARY ((K3V_HRESULT)0x8876005Fu)
#define K3V_DDERR_INVALIDCAPS ((K3V_HRESULT)0x88760064u)
#define K3V_DDERR_INVALIDOBJECT ((K3V_HRESULT)0x88760082u)
#define K3V_DDERR_INVALIDPARAMS ((K3V_HRESULT)0x80070057u)
#define K3V_DDERR_INVALIDPIXELFORMAT ((K3V_HRESULT)0x88760091u)
#define K3V_DDERR_NOALPHAHW ((K3V_HRESULT)0x887600B4u)
#define K3V_DDERR_NOCOOPERATIVELEVELSET ((K3V_HRESULT)0x887600D4u)
#define K3V_DDERR_NODIRECTDRAWHW ((K3V_HRESULT)0x88760233u)
#define K3V_DDERR_NOEMULATION ((K3V_HRESULT)0x88760235u)
#define K3V_DDERR_NOEXCLUSIVEMODE ((K3V_HRESULT)0x887600E1u)
#define K3V_DDERR_NOFLIPHW ((K3V_HRESULT)0x887600E6u)
#define K3V_DDERR_NOMIPMAPHW ((K3V_HRESULT)0x8876024Fu)
#define K3V_DDERR_NOOVERLAYHW ((K3V_HRESULT)0x88760104u)
#define K3V_DDERR_NOZBUFFERHW ((K3V_HRESULT)0x88760154u)
#define K3V_DDERR_OUTOFMEMORY ((K3V_HRESULT)0x8007000Eu)
#define K3V_DDERR_OUTOFVIDEOMEMORY ((K3V_HRESULT)0x8876017Cu)
#define K3V_DDERR_PRIMARYSURFACEALREADYEXISTS ((K3V_HRESULT)0x88760234u)
#define K3V_DDERR_UNSUPPORTEDMODE ((K3V_HRESULT)0x8876024Eu)
#define K3V_DDERR_SURFACELOST ((K3V_HRESULT)0x887601C2u)
#define K3V_DDERR_WASSTILLDRAWING ((K3V_HRESULT)0x8876021Cu)

/* Cooperative levels. */
#define K3V_DDSCL_FULLSCREEN 0x00000001u
#define K3V_DDSCL_NOWINDOWCHANGES 0x00000004u
#define K3V_DDSCL_NORMAL 0x00000008u
#define K3V_DDSCL_EXCLUSIVE 0x00000010u

/* Surface description flags and capabilities. */
#define K3V_DDSD_CAPS 0x00000001u
#define K3V_DDSD_BACKBUFFERCOUNT 0x00000020u
#define K3V_DDSCAPS_BACKBUFFER 0x00000004u
#define K3V_DDSCAPS_COMPLEX 0x00000008u
#define K3V_DDSCAPS_FLIP 0x00000010u
#define K3V_DDSCAPS_FRONTBUFFER 0x00000020u
#define K3V_DDSCAPS_PRIMARYSURFACE 0x00000200u
#define K3V_DDSCAPS_3DDEVICE 0x00002000u
#define K3V_DDSCAPS_VIDEOMEMORY 0x00004000u

/* Blits and their status. */
#define K3V_DDBLT_COLORFILL 0x00000400u
#define K3V_DDGBS_ISBLTDONE 0x00000002u
#define K3V_DDWAITVB_BLOCKBEGIN 0x00000001u
#define K3V_DDENUMRET_CANCEL 0
#define K3V_DDENUMRET_OK 1

typedef struct K3V_GUID {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
} K3V_GUID;

typedef struct K3V_Rect {
    int32_t left, top, right, bottom;
} K3V_Rect;

/* A surface description: 108 bytes, of which the system sets the size, the
 * flags, the back-buffer count and the capabilities. */
typedef struct K3V_SurfaceDesc {
    uint32_t size;
    uint32_t flags;
    uint32_t height;
    uint32_t width;
    int32_t pitch;
    uint32_t backBufferCount;
    uint32_t reserved[20];
    uint32_t caps;
} K3V_SurfaceDesc;

/* The effects record of a blit: 100 bytes, of which a colour fill reads the
 * fill colour. */
typedef struct K3V_BltFx {
    uint32_t size;
    uint32_t reserved[19];
    uint32_t fillColor;
    uint32_t colorKeys[4];
} K3V_BltFx;

/* A surface's pixels while it is locked: 24-bit blue, green, red, the top row
 * first, rows `pitch` bytes apart. The surface covers the whole display. */
typedef struct K3V_Pixels {
    uint8_t* data;
    int32_t width;
    int32_t height;
    int32_t pitch;
} K3V_Pixels;

typedef struct K3V_DirectDraw K3V_DirectDraw;
typedef struct K3V_Surface K3V_Surface;
typedef struct K3V_DC K3V_DC; /* the host's drawing context; opaque to drivers */

typedef int32_t (*K3V_EnumSurfacesCallback)(K3V_Surface* surface, const K3V_SurfaceDesc* desc, void* context);

typedef struct K3V_SurfaceOps {
    uint32_t size;
    uint32_t (*Release)(K3V_Surface* self);
    K3V_HRESULT (*EnumAttachedSurfaces)(K3V_Surface* self, void* context, K3V_EnumSurfacesCallback callback);
    K3V_HRESULT (*GetCaps)(K3V_Surface* self, uint32_t* caps);
    K3V_HRESULT (*Blt)(K3V_Surface* self, const K3V_Rect* dest, K3V_Surface* source, const K3V_Rect* sourceRect,
                       uint32_t flags, const K3V_BltFx* fx);
    K3V_HRESULT (*GetBltStatus)(K3V_Surface* self, uint32_t flags);
    K3V_HRESULT (*GetDC)(K3V_Surface* self, K3V_DC** dc);
    K3V_HRESULT (*ReleaseDC)(K3V_Surface* self, K3V_DC* dc);
    K3V_HRESULT (*IsLost)(K3V_Surface* self);
    K3V_HRESULT (*Restore)(K3V_Surface* self);
    /* Pixel access for the driver; the host does not draw into a locked
     * surface, and the driver does not keep it locked across refreshes. */
    K3V_HRESULT (*Lock)(K3V_Surface* self, K3V_Pixels* pixels);
    K3V_HRESULT (*Unlock)(K3V_Surface* self);
} K3V_SurfaceOps;

struct K3V_Surface {
    const K3V_SurfaceOps* ops;
};

typedef struct K3V_DirectDrawOps {
    uint32_t size;
    uint32_t (*Release)(K3V_DirectDraw* self);
    K3V_HRESULT (*SetCooperativeLevel)(K3V_DirectDraw* self, void* window, uint32_t flags);
    K3V_HRESULT (*CreateSurface)(K3V_DirectDraw* self, const K3V_SurfaceDesc* desc, K3V_Surface** surface, void* outer);
    /* Blocks until the next vertical blank; K3V_DDERR_UNSUPPORTED where the
     * display cannot tell (a virtual display): pace by the refresh rate. */
    K3V_HRESULT (*WaitForVerticalBlank)(K3V_DirectDraw* self, uint32_t flags, void* event);
    K3V_HRESULT (*GetMonitorFrequency)(K3V_DirectDraw* self, uint32_t* hertz);
    /* The display device's name (the X output's), zero-terminated. */
    K3V_HRESULT (*GetDeviceName)(K3V_DirectDraw* self, char* name, uint32_t size);
    /* Shows a chain surface from the next refresh on. Safe from any thread. */
    K3V_HRESULT (*Present)(K3V_DirectDraw* self, K3V_Surface* surface);
    /* Non-zero in *quadBuffered when the display shows a left and a right
     * buffer by itself; PresentStereo then shows both in one swap. */
    K3V_HRESULT (*GetStereoCaps)(K3V_DirectDraw* self, uint32_t* quadBuffered);
    K3V_HRESULT (*PresentStereo)(K3V_DirectDraw* self, K3V_Surface* left, K3V_Surface* right);
} K3V_DirectDrawOps;

struct K3V_DirectDraw {
    const K3V_DirectDrawOps* ops;
};

/* The host's services to a driver. */
typedef struct K3V_Host {
    uint32_t size;
    K3V_HRESULT (*DirectDrawCreate)(const K3V_GUID* device, K3V_DirectDraw** object, void* outer);
} K3V_Host;

/* ---- The driver's side. ---- */

typedef uint32_t K3V_Result;

#define K3V_RESULT_OK 0u
#define K3V_RESULT_NO_RECORD 0x60001u
#define K3V_RESULT_BAD_RECORD 0x60004u
#define K3V_RESULT_NO_LIBRARY 0x6000Au
#define K3V_RESULT_NO_MEMORY 0x6000Du

/* Status bits a driver reports for a surface: shown now, queued to be shown.
 * The host draws into neither. */
#define K3V_STATUS_SHOWN 0x08u
#define K3V_STATUS_QUEUED 0x20u

/* Capability flags: the driver alternates the eyes by itself and wants one
 * present per pair (first word), or shows both eyes in one swap (second). */
#define K3V_CAPS1_ALTERNATES 0x00020000u
#define K3V_CAPS2_ONE_SWAP 0x00000040u

/* The eye values a surface is marked with. */
#define K3V_EYE_FIRST 1u
#define K3V_EYE_SECOND 0u

typedef struct K3V_DriverCaps {
    uint32_t size; /* 12 */
    uint32_t caps1;
    uint32_t caps2;
} K3V_DriverCaps;

typedef struct K3V_FlipDisplayInfo {
    char deviceName[260];
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    void* window;
    K3V_Rect windowRect;
} K3V_FlipDisplayInfo;

typedef struct K3V_FlipperDriver K3V_FlipperDriver;
typedef void (*K3V_UnusedEntry)(void);

/* Fifteen slots; every call passes the record and the adapter first. */
typedef struct K3V_FunctionTable {
    K3V_Result (*StartStereo)(K3V_FlipperDriver* record, uint32_t adapter, K3V_DirectDraw* dd, K3V_Surface* first,
                              K3V_Surface* second); /* 0 */
    K3V_Result (*StopStereo)(K3V_FlipperDriver* record, uint32_t adapter, K3V_DirectDraw* dd, K3V_Surface* first,
                             K3V_Surface* second); /* 1 */
    K3V_UnusedEntry slot2;
    K3V_UnusedEntry slot3;
    K3V_Result (*Present)(K3V_FlipperDriver* record, uint32_t adapter, uint32_t now); /* 4 */
    K3V_UnusedEntry slot5;
    K3V_Result (*SetEye)(K3V_FlipperDriver* record, uint32_t adapter, K3V_Surface* surface, uint32_t eye); /* 6 */
    K3V_UnusedEntry slot7;
    K3V_UnusedEntry slot8;
    K3V_Result (*GetCaps)(K3V_FlipperDriver* record, uint32_t adapter, K3V_DriverCaps* caps); /* 9 */
    K3V_Result (*Release)(K3V_FlipperDriver* record, uint32_t adapter);                      /* 10: the host's */
    K3V_Result (*GetStatus)(K3V_FlipperDriver* record, uint32_t adapter, K3V_Surface* surface,
                            uint32_t* status); /* 11 */
    K3V_UnusedEntry slot12;
    K3V_UnusedEntry slot13;
    K3V_UnusedEntry slot14;
} K3V_FunctionTable;

/* Allocated by the driver with malloc, freed by the host with free. */
typedef struct K3V_Extension {
    uint32_t size;
    void (*Cleanup)(K3V_FlipperDriver* record);
    K3V_UnusedEntry reserved[8];
    /* Fills info->deviceName; present when `size` reaches past it. */
    K3V_Result (*GetDeviceName)(K3V_FlipperDriver* record, uint32_t adapter, K3V_FlipDisplayInfo* info);
} K3V_Extension;

struct K3V_FlipperDriver {
    uint32_t size; /* sizeof(K3V_FlipperDriver) once loaded */
    void* module;
    K3V_FunctionTable* functions;
    K3V_Extension* extension;
    /* The host's services; a driver may keep its own state in `driverData`. */
    const K3V_Host* host;
    void* driverData;
};

/* The one symbol a driver exports. */
typedef K3V_Result (*K3V_FillFunctionsFn)(K3V_FlipperDriver* record);
#define K3V_FILL_FUNCTIONS_NAME "K3V_DDFillFunctions"

#ifdef __cplusplus
}
#endif

#endif
