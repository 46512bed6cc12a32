// The page while it is hidden (the window minimised, fully covered or on
// another workspace). Ruffle keeps the movie running from a timer at its own
// frame rate, so its timers and sound go on, as in a minimised window of the
// original player; what it would still do, and what costs, is draw every
// frame. It draws few pixels instead, and a quiet movie rests.
"use strict";

window.kestHidden = (() => {
    // Ruffle draws on a canvas of the player's size times the pixel ratio,
    // and gives a movie that does not scale a stage of the canvas's size over
    // the ratio. One over the greatest common divisor of the player's width
    // and height draws a few pixels (4 x 3 for 640 x 480) and keeps the
    // stage's size exactly. Shown again, the next frame is drawn in full.
    function drawFewPixels() {
        const ratio = Object.getOwnPropertyDescriptor(window, "devicePixelRatio") ??
            Object.getOwnPropertyDescriptor(Window.prototype, "devicePixelRatio");
        const shownRatio = () => (ratio?.get ? ratio.get.call(window) : ratio?.value) ?? 1;
        const divisor = (a, b) => (b === 0 ? a : divisor(b, a % b));
        const hiddenRatio = () => {
            const box = document.getElementById("player");
            const common = box ? divisor(box.clientWidth, box.clientHeight) : 0;
            return common > 0 ? 1 / common : shownRatio();
        };
        Object.defineProperty(window, "devicePixelRatio", {
            configurable: true,
            enumerable: true,
            get: () => (document.hidden ? hiddenRatio() : shownRatio()),
        });
    }

    // A movie that has made no sound for a while rests while the page is
    // hidden: Ruffle pauses it (frames, timers and its sound output stop) and
    // it goes on where it was when the page shows again. A movie that plays
    // sound, music above all, keeps running unseen, as in a minimised window
    // of the original player. Calls from the host are answered either way.
    const kQuietBeforeRest = 2000; // ms
    const isAudible = (buffer) => {
        for (let channel = 0; channel < buffer.numberOfChannels; channel++) {
            if (buffer.getChannelData(channel).some((sample) => sample > 1e-4 || sample < -1e-4)) {
                return true;
            }
        }
        return false;
    };

    // `movie.quietSince`: since when the current movie has run and made no
    // sound; null before its first frame. Sound moves it on.
    function restQuietMovies(player, movie) {
        let resting = false;
        // Ruffle plays its mixed sound as a chain of short buffers. (An engine
        // built without web audio plays none: its movies always rest.)
        if (window.AudioBufferSourceNode) {
            const startSource = AudioBufferSourceNode.prototype.start;
            AudioBufferSourceNode.prototype.start = function (...args) {
                if (movie.quietSince !== null && this.buffer && isAudible(this.buffer)) {
                    movie.quietSince = performance.now();
                }
                return startSource.apply(this, args);
            };
        }
        function restWhileHidden() {
            if (!document.hidden) {
                if (resting) {
                    resting = false;
                    player.ruffle().resume();
                }
            } else if (!resting && movie.quietSince !== null && player.ruffle().isPlaying &&
                       performance.now() - movie.quietSince > kQuietBeforeRest) {
                resting = true;
                player.ruffle().suspend();
            }
        }
        document.addEventListener("visibilitychange", restWhileHidden);
        setInterval(restWhileHidden, 1000);
    }

    return { drawFewPixels, restQuietMovies };
})();
