// The host's side of the movie player: loads and plays movies, turns the
// host's invoke messages into calls of the movie's callbacks and their answers
// into XML, and forwards the movie's fscommand calls to the host.
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

    // Ruffle asks the engine for a device font by the name the movie gave
    // (the server respells the generic names, see GenericFontNames.h). Names
    // of the fonts of a Chinese Windows, and the generic names, get the
    // system's family of their kind behind them, which fontconfig resolves,
    // with a fallback for each character that the first font lacks; a font of
    // that very name, where the reader has one, still comes first.
    const kFamilyKinds = new Map();
    for (const [kind, names] of Object.entries({
        "sans-serif": ["_sans", "黑体", "SimHei", "微软雅黑", "Microsoft YaHei", "微软正黑体", "Microsoft JhengHei",
            "华文黑体", "STHeiti", "华文细黑", "STXihei", "幼圆", "YouYuan", "等线", "DengXian", "Arial",
            "Helvetica", "Verdana", "Tahoma", "Trebuchet MS", "Calibri", "Segoe UI"],
        "serif": ["_serif", "宋体", "SimSun", "仿宋", "FangSong", "仿宋_GB2312", "FangSong_GB2312", "楷体",
            "KaiTi", "楷体_GB2312", "KaiTi_GB2312", "华文宋体", "STSong", "华文中宋", "STZhongsong", "华文仿宋",
            "STFangsong", "华文楷体", "STKaiti", "隶书", "LiSu", "华文隶书", "STLiti", "华文新魏", "STXinwei",
            "华文行楷", "STXingkai", "方正舒体", "FZShuTi", "方正姚体", "FZYaoti", "Times New Roman", "Times",
            "Georgia", "Cambria"],
        "monospace": ["_typewriter", "新宋体", "NSimSun", "Courier New", "Courier", "Consolas", "Lucida Console"],
    })) {
        for (const name of names) {
            kFamilyKinds.set(name.toLowerCase(), kind);
        }
    }
    const fontProperty = Object.getOwnPropertyDescriptor(OffscreenCanvasRenderingContext2D.prototype, "font");
    Object.defineProperty(OffscreenCanvasRenderingContext2D.prototype, "font", {
        ...fontProperty,
        set(value) {
            const font = /^((?:italic )?(?:bold )?[\d.]+px )("(?:[^"\\]|\\.)*")$/.exec(value);
            const kind = font && kFamilyKinds.get(JSON.parse(font[2]).toLowerCase());
            fontProperty.set.call(this, kind ? `${font[1]}${font[2]}, ${kind}` : value);
        },
    });

    // While the page is hidden (the window minimised, fully covered or on
    // another workspace), Ruffle keeps the movie running from a timer at its own
    // frame rate, so its timers and sound go on, as in a minimised window of
    // the original player; but it would still draw every frame, which is
    // what costs. Ruffle draws on a canvas of the player's size times the
    // pixel ratio, and gives a movie that does not scale a stage of the
    // canvas's size over the ratio. One over the greatest common divisor of
    // the player's width and height draws a few pixels (4 x 3 for 640 x 480)
    // and keeps the stage's size exactly. Shown again, the next frame is
    // drawn in full.
    const ratio = Object.getOwnPropertyDescriptor(window, "devicePixelRatio") ??
        Object.getOwnPropertyDescriptor(Window.prototype, "devicePixelRatio");
    const shownRatio = () => (ratio?.get ? ratio.get.call(window) : ratio?.value) ?? 1;
    const divisor = (a, b) => (b === 0 ? a : divisor(b, a % b));
    function hiddenRatio() {
        const box = document.getElementById("player");
        const common = box ? divisor(box.clientWidth, box.clientHeight) : 0;
        return common > 0 ? 1 / common : shownRatio();
    }
    Object.defineProperty(window, "devicePixelRatio", {
        configurable: true,
        enumerable: true,
        get: () => (document.hidden ? hiddenRatio() : shownRatio()),
    });

    // A movie's links (getURL, navigateToURL) go to the host, which opens them
    // on the desktop; the page stays. Ruffle opens a link to a window with
    // window.open, and one with variables (as every navigateToURL has) by
    // submitting a form; one without either navigates the page, which the
    // host stops and follows itself.
    window.open = (url) => {
        tell("link", String(url));
        return null;
    };
    HTMLFormElement.prototype.submit = function () {
        const url = new URL(this.action, location.href);
        if (this.method.toLowerCase() !== "post") {
            // The form repeats the address's own variables.
            url.search = "";
            for (const input of this.elements) {
                url.searchParams.append(input.name, input.value);
            }
        }
        tell("link", url.href);
        this.remove();
    };

    const player = window.RufflePlayer.newest().createPlayer();
    player.id = "player";
    document.body.appendChild(player);
    player.onFSCommand = (command, args) => {
        tell("fscommand", String(command), String(args));
        return true;
    };

    // Settles once the current movie has run its first frame, where movies
    // register their callbacks; null while no movie was asked for.
    let movieRunning = null;
    // Since when the current movie has run and made no sound; null before
    // its first frame.
    let quietSince = null;
    // When the current movie had run its first frames; -Infinity before.
    let runningSince = -Infinity;
    // A movie registers its callbacks in its first frames, which a busy
    // machine may run a little after those the page waits for: a call this
    // soon waits for its callback.
    const kCallbacksSettle = 1000; // ms

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
        quietSince = null;
        runningSince = -Infinity;
        movieRunning = (async () => {
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
                quietSince = runningSince = performance.now();
            } catch (error) {
                tell("mark", "failed", String(error));
            }
        })();
    }

    function play() {
        player.ruffle().resume();
    }

    // A movie that has made no sound for a while rests while the page is
    // hidden: Ruffle pauses it (frames, timers and its sound output stop) and
    // it goes on where it was when the page shows again. A movie that plays
    // sound, music above all, keeps running unseen, as in a minimised window of
    // the original player. Calls from the host are answered either way.
    const kQuietBeforeRest = 2000; // ms
    let resting = false;
    const isAudible = (buffer) => {
        for (let channel = 0; channel < buffer.numberOfChannels; channel++) {
            if (buffer.getChannelData(channel).some((sample) => sample > 1e-4 || sample < -1e-4)) {
                return true;
            }
        }
        return false;
    };
    // Ruffle plays its mixed sound as a chain of short buffers. (An engine
    // built without web audio plays none: its movies always rest.)
    if (window.AudioBufferSourceNode) {
        const startSource = AudioBufferSourceNode.prototype.start;
        AudioBufferSourceNode.prototype.start = function (...args) {
            if (quietSince !== null && this.buffer && isAudible(this.buffer)) {
                quietSince = performance.now();
            }
            return startSource.apply(this, args);
        };
    }
    function restWhileHidden() {
        if (!document.hidden) {
            if (resting) {
                resting = false;
                play();
            }
        } else if (!resting && quietSince !== null && player.ruffle().isPlaying &&
                   performance.now() - quietSince > kQuietBeforeRest) {
            resting = true;
            player.ruffle().suspend();
        }
    }
    document.addEventListener("visibilitychange", restWhileHidden);
    setInterval(restWhileHidden, 1000);

    const kEntities = { "&lt;": "<", "&gt;": ">", "&amp;": "&", "&quot;": "\"", "&apos;": "'" };
    const unescapeXml = (text) => text.replace(/&(lt|gt|amp|quot|apos);/g, (e) => kEntities[e]);
    const escapeXml = (text) => text.replace(/[&<>"']/g, (c) =>
        ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", "\"": "&quot;", "'": "&apos;" })[c]);

    // The function name and arguments of an invoke message. Argument texts are
    // taken up to their closing tag, so an unescaped "<" or "&" in them passes.
    function decodeInvoke(message) {
        const head = /^\s*<invoke\s+name\s*=\s*(["'])(.*?)\1/.exec(message);
        if (!head) {
            return null;
        }
        const args = [];
        const start = message.indexOf("<arguments>");
        if (start >= 0) {
            const end = message.lastIndexOf("</arguments>");
            const body = message.substring(start + "<arguments>".length, end > start ? end : undefined);
            const argument =
                /<string>([\s\S]*?)<\/string>|<string\/>|<number>([^<]*)<\/number>|<(true|false|null|undefined)\/>/g;
            for (let m; (m = argument.exec(body)) !== null;) {
                if (m[1] !== undefined) {
                    args.push(unescapeXml(m[1]));
                } else if (m[2] !== undefined) {
                    args.push(Number(m[2]));
                } else if (m[3] !== undefined) {
                    args.push({ true: true, false: false, null: null, undefined: undefined }[m[3]]);
                } else {
                    args.push("");
                }
            }
        }
        return { name: unescapeXml(head[2]), args };
    }

    // A value as the player's XML return text.
    function encodeValue(value) {
        if (value === undefined) return "<undefined/>";
        if (value === null) return "<null/>";
        if (value === true) return "<true/>";
        if (value === false) return "<false/>";
        if (typeof value === "number") return `<number>${value}</number>`;
        if (typeof value === "string") return `<string>${escapeXml(value)}</string>`;
        const properties = (entries) => entries.map(([key, item]) =>
            `<property id="${escapeXml(String(key))}">${encodeValue(item)}</property>`).join("");
        if (Array.isArray(value)) return `<array>${properties(value.map((v, i) => [i, v]))}</array>`;
        return `<object>${properties(Object.entries(value))}</object>`;
    }

    async function call(message) {
        const request = decodeInvoke(message);
        if (!request || !movieRunning) {
            return "";
        }
        await movieRunning;
        // Callbacks are own properties of the player element; anything else
        // on it (its methods, its prototype's) is not the movie's.
        const registered = () => Object.prototype.hasOwnProperty.call(player, request.name);
        while (!registered() && performance.now() - runningSince < kCallbacksSettle) {
            await nextFrame();
        }
        if (!registered()) {
            return "";
        }
        try {
            return encodeValue(player.ruffle().callExternalInterface(request.name, ...request.args));
        } catch (error) {
            return "";
        }
    }

    window.kest = { load, play, call, decodeInvoke, encodeValue };
    tell("ready");
})();
