// The host's side of the movie player: Ruffle's configuration, the player,
// and loading and playing movies, with the other scripts' parts put in
// place. What the host may ask of the page is window.kest; what the page
// tells the host goes to its one message handler as [kind, first, second].
"use strict";

(() => {
    const host = window.webkit.messageHandlers.kest;
    const tell = (...message) => host.postMessage(message);

    // A locale name the engine passes through unchecked ("c.utf-8") is not a
    // language tag, and the player's start-up trips over it.
    try {
        new Intl.Locale(navigator.language);
    } catch {
        Object.defineProperty(Navigator.prototype, "language", { get: () => "en-US" });
        Object.defineProperty(Navigator.prototype, "languages", { get: () => ["en-US"] });
    }

    window.RufflePlayer = window.RufflePlayer || {};
    window.RufflePlayer.config = {
        publicPath: "ruffle/",
        polyfills: false,
        autoplay: "on",
        unmuteOverlay: "hidden",
        splashScreen: false,
        preloader: false,
        contextMenu: "off",
        menu: false,
        showSwfDownload: false,
        warnOnUnsupportedContent: false,
        upgradeToHttps: false,
        letterbox: "off",
        quality: "high",
        scale: "showAll",
        wmode: "window",
        allowScriptAccess: true,
        allowNetworking: "all",
        openUrlMode: "allow",
        logLevel: "error",
        // Device text is drawn by the engine in the system's fonts, which
        // have Chinese, instead of Ruffle's built-in Latin font.
        deviceFontRenderer: "canvas",
    };
    kestFonts.useSystemFamilies();
    kestHidden.drawFewPixels();
    kestLinks.sendTo(tell);

    const player = window.RufflePlayer.newest().createPlayer();
    player.id = "player";
    document.body.appendChild(player);
    player.onFSCommand = (command, args) => {
        tell("fscommand", String(command), String(args));
        return true;
    };

    // The current movie, as the other scripts see it (see invoke.js and
    // hidden.js).
    const movie = { running: null, quietSince: null, runningSince: -Infinity };

    // A fault in Ruffle's WebAssembly traps out of the task that ran it, and
    // leaves Ruffle dead: a start it was part of would wait forever, a movie
    // that ran stands still behind Ruffle's own error page. The host starts
    // the player again at once, as after a crash; once, whatever the dead
    // Ruffle throws after.
    let dead = false;
    const trapped = (error) => {
        if (!dead && error instanceof WebAssembly.RuntimeError) {
            dead = true;
            tell("trapped", String(error));
        }
    };
    window.addEventListener("error", (event) => trapped(event.error));
    window.addEventListener("unhandledrejection", (event) => trapped(event.reason));

    // A hidden page gets no animation frames; Ruffle then runs the movie from
    // a timer at its frame rate.
    const nextFrame = () => new Promise((resolve) => {
        requestAnimationFrame(() => resolve());
        if (document.hidden) {
            setTimeout(resolve, 100);
        }
    });

    function load(url) {
        const loaded = new Promise((resolve) =>
            player.addEventListener("loadeddata", resolve, { once: true }));
        movie.quietSince = null;
        movie.runningSince = -Infinity;
        movie.running = (async () => {
            // A movie that is not there never loads; calls must not wait for it.
            if (url.startsWith(location.href.replace(/[^/]*$/, ""))) {
                try {
                    const response = await fetch(url, { method: "HEAD" });
                    if (!response.ok) {
                        throw new Error(`${url}: ${response.status} ${response.statusText}`);
                    }
                } catch (error) {
                    tell("mark", "missing", String(error));
                    return;
                }
            }
            try {
                // Relative addresses in the movie resolve against its own folder.
                await player.ruffle().load({ url, base: url.replace(/[^/]*$/, "") });
                tell("mark", "ruffle");
                // Ruffle moves a movie to its timer when the page turns hidden;
                // in a page that was hidden from the start (the window
                // minimised or covered while the movie loaded) it would wait
                // for frames that never come.
                if (document.hidden) {
                    document.dispatchEvent(new Event("visibilitychange"));
                }
                await loaded;
                tell("mark", "movie");
                await nextFrame();
                await nextFrame();
                movie.quietSince = movie.runningSince = performance.now();
            } catch (error) {
                tell("mark", "failed", String(error));
            }
        })();
    }

    function play() {
        player.ruffle().resume();
    }

    kestHidden.restQuietMovies(player, movie);
    window.kest = { load, play, call: kestInvoke.callsTo(player, movie, nextFrame) };
    tell("ready");
})();
