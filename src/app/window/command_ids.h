#pragma once
// The command ids of the menus, the toolbar and the keyboard. The numbers are
// the program's resource ids, kept so that every place that raises or routes a
// command speaks of the same one.

namespace plexo {

enum CommandId : int {
    kCmdLoad = 32773,
    kCmdPlay = 32774,
    kCmdForward = 32775,
    kCmdBack = 32776,
    kCmdSettings = 32777,
    kCmdTranslate = 32778,
    kCmdSaveAs = 32781,
    kCmdScreen = 32782,
    kCmdStereo = 32783,
    kCmdCtrlEsc = 32784,
    kCmdLeaveStereo = 32785,
    kCmdAdd = 32786,
    kCmdFileNew = 57600,
    kCmdFileOpen = 57601,
    kCmdFileSave = 57603,
    kCmdFileSaveAs = 57604,
    kCmdFilePrint = 57607,
    kCmdEditCopy = 57634,
    kCmdEditCut = 57635,
    kCmdEditPaste = 57637,
    kCmdEditUndo = 57643,
    kCmdAbout = 57664,
    kCmdExit = 57665,
    kCmdNextPane = 57680,
    kCmdPrevPane = 57681,
    kCmdViewToolbar = 59392,
    kCmdViewStatusBar = 59393,
    // The desktop additions, each off until the user asks: Save View As,
    // view size, full screen, the frame display, Home and End.
    kCmdSaveViewAs = 32850,
    kCmdActualSize = 32851,
    kCmdFitToWindow = 32852,
    kCmdZoomIn = 32853,
    kCmdZoomOut = 32854,
    kCmdSizeWindowToFilm = 32855,
    kCmdFullScreen = 32856,
    kCmdFrameDisplay = 32857,
    kCmdFirstCadre = 32858,
    kCmdLastCadre = 32859,
    // The stereo adjustments: swap, D by one and ten, the second eye up and
    // down, and back to none.
    kCmdSwapEyes = 32860,
    kCmdDistUp = 32861,
    kCmdDistDown = 32862,
    kCmdDistUpTen = 32863,
    kCmdDistDownTen = 32864,
    kCmdSecondEyeUp = 32865,
    kCmdSecondEyeDown = 32866,
    kCmdResetAdjustments = 32867,
    // The player controls: the log panel on request, Space's play or leave
    // stereo, next and previous film in the folder, the list of keys.
    kCmdMessageLog = 32868,
    kCmdPlayOrLeaveStereo = 32869,
    kCmdNextFilm = 32870,
    kCmdPreviousFilm = 32871,
    kCmdKeyboardShortcuts = 32872,
    // File > Export Stereo.
    kCmdExportStereo = 32873,
    // View > Align and Align Every Frame.
    kCmdAlign = 32878,
    kCmdAlignEveryFrame = 32879,
    // Choosing a stereo presentation: this id plus the presentation's id,
    // one a row of the table of presentations; the ids up to 32943 are kept
    // for them.
    kCmdPresentationFirst = 32880,
    // View > Layout: this id plus the entry's place in the menu's table
    // (app/window/viewer_layout.cpp), Automatic first; the ids up to 32959
    // are kept for them.
    kCmdLayoutFirst = 32950,
    // The Audio menu: mute, the volume down and up, and the film's sound
    // tracks, this id plus the track's place in the file's list; the ids up
    // to 32979 are kept for them.
    kCmdMute = 32874,
    kCmdVolumeDown = 32875,
    kCmdVolumeUp = 32876,
    kCmdAudioTrackFirst = 32960,
    // View > Subtitles; its tracks are the menu's own entries.
    kCmdSubtitlesShown = 32980,
    kCmdSubtitlesNext = 32981,
    kCmdSubtitlesAuthored = 32982,
    kCmdSubtitlesOff = 32983,
    kCmdSubtitleDepthAuto = 32984,
    kCmdSubtitleCloser = 32985,
    kCmdSubtitleFarther = 32986,
    // View > Fit Large Films: the view size that fits only what overflows.
    kCmdFitLarge = 32990,
    // Lists: File > Open Playlist and Save Playlist, View > Playlist, Film >
    // Loop's three choices and Film > Slideshow.
    kCmdOpenPlaylist = 33040,
    kCmdSavePlaylist = 33041,
    kCmdPlaylistPanel = 33042,
    kCmdLoopOff = 33043,
    kCmdLoopFilm = 33044,
    kCmdLoopList = 33045,
    kCmdSlideshow = 33046,
    // View > Projection: this id plus the entry's place in its table
    // (app/window/viewer_sphere.cpp), Automatic first; the ids up to 33119
    // are kept for them. Then View > Reset View and the camera's keys.
    kCmdProjectionFirst = 33100,
    kCmdResetView = 33120,
    kCmdLookLeft = 33121,
    kCmdLookRight = 33122,
    kCmdLookUp = 33123,
    kCmdLookDown = 33124,
    kCmdFieldNarrower = 33125,
    kCmdFieldWider = 33126,
    // Seeking by time (Shift and the arrows) and the sound's and the
    // subtitles' delays.
    kCmdSeekForwardShort = 33050,
    kCmdSeekBackShort = 33051,
    kCmdSeekForwardLong = 33052,
    kCmdSeekBackLong = 33053,
    kCmdSoundLater = 33054,
    kCmdSoundEarlier = 33055,
    kCmdSubtitlesEarlier = 33056,
    kCmdSubtitlesLater = 33057,
};

}  // namespace plexo
