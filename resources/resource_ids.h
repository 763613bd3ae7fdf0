// Resource identifiers shared by the resource script and the program.
#ifndef DICTADRILL_RESOURCE_IDS_H
#define DICTADRILL_RESOURCE_IDS_H

#define IDI_APP_ICON 101
#define IDD_SETTINGS 103
#define IDD_PROGRESS 124

/* Sentence recordings, type "MP3": natural speed 132-135, slow 137-140. */
#define IDR_MP3_NATURAL_001 132
#define IDR_MP3_NATURAL_002 133
#define IDR_MP3_NATURAL_003 134
#define IDR_MP3_NATURAL_004 135
#define IDR_MP3_SLOW_001 137
#define IDR_MP3_SLOW_002 138
#define IDR_MP3_SLOW_003 139
#define IDR_MP3_SLOW_004 140

/* Key-sound clips, type "WAVE". */
#define IDR_WAVE_HIT_STANDARD 118
#define IDR_WAVE_MISS_STANDARD 120
#define IDR_WAVE_MISS_MEOW 121
#define IDR_WAVE_HIT_POP 123

#endif
