// The demo magazine: a frame with window controls and page buttons around
// pages that slide. It talks to the viewer only through fscommand and the
// callbacks the viewer calls (turn_next, turn_prv, bg, hdgetreg), and it
// reports what it shows with the commands "demo_page", "demo_settled" (the
// page has slid in) and "demo_reply", which the viewer does not know and so
// prints.
import flash.display.Graphics;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.external.ExternalInterface;
import flash.net.URLLoader;
import flash.text.TextField;

class Demo {
    static inline var kTop = 52;
    static inline var kFooter = 548;
    static inline var kRegistryValue = "HKEY_CURRENT_USER|Software\\Kest\\Demo|LastPage";
    // Written into the package when it is packed: the folder for saved pictures.
    static inline var kSaveFolderFile = "savefolder.txt";

    static var root:Sprite;
    static var pages:Sprite;
    static var current:Sprite;
    static var leaving:Sprite;
    static var index = 0;
    static var turned = false;
    static var slide = 1.0;
    static var direction = 1;
    static var pageLabel:TextField;
    static var previousButton:Sprite;
    static var nextButton:Sprite;
    static var dots:Shape;
    static var status:TextField;
    static var statusTimer:haxe.Timer;
    static var live:TextField;
    static var saveFolder:String;
    static var placement:String;
    static var savedAs:String;

    static function fscommand(command:String, args:String) {
        untyped __global__["flash.system.fscommand"](command, args);
    }

    static function main() {
        root = flash.Lib.current;
        drawFrame();
        pages = new Sprite();
        pages.y = kTop;
        var mask = new Shape();
        mask.graphics.beginFill(0);
        mask.graphics.drawRect(0, kTop, Pages.kWidth, Pages.kHeight);
        mask.graphics.endFill();
        root.addChild(mask);
        pages.mask = mask;
        root.addChildAt(pages, 0);
        show(0, 0);
        root.addEventListener(Event.ENTER_FRAME, function(_) step());

        ExternalInterface.addCallback("turn_next", function() return turn(1));
        ExternalInterface.addCallback("turn_prv", function() return turn(-1));
        ExternalInterface.addCallback("bg", function(left:String, top:String, right:String, bottom:String) {
            // The viewer gives the player's place negated and the desktop's size.
            placement = "The viewer placed this movie at " + negated(left) + ", " + negated(top) + " on a "
                + right + " × " + bottom + " desktop.";
            refreshLive();
            return "ok";
        });
        ExternalInterface.addCallback("hdgetreg", function(reply:String) {
            onReply(reply);
            return "ok";
        });
        loadSaveFolder();
        fscommand("readreg", kRegistryValue);
    }

    static function negated(text:String):String {
        return text.charAt(0) == "-" ? text.substr(1) : "-" + text;
    }

    static function drawFrame() {
        var g = root.graphics;
        Ui.gradient(g, 0, 0, Pages.kWidth, kTop, [0x24365f, Ui.kNavy]);
        g.beginFill(Ui.kSand);
        g.drawRect(0, kFooter, Pages.kWidth, 600 - kFooter);
        g.endFill();
        g.beginFill(0xded3c2);
        g.drawRect(0, kFooter, Pages.kWidth, 1);
        g.endFill();
        Ui.text(root, 22, 13, 80, 20, Ui.kCoral, true, "KEST");
        Ui.text(root, 90, 17, 400, 14, 0xdfe6f5, false, "Demo Magazine  ·  Issue 1");

        windowButton(682, "min_window", function(g) {
            g.moveTo(-6, 4);
            g.lineTo(6, 4);
        });
        windowButton(720, "max_window", function(g) g.drawRect(-6, -6, 12, 12));
        windowButton(758, "close_window", function(g) {
            g.moveTo(-5, -5);
            g.lineTo(5, 5);
            g.moveTo(5, -5);
            g.lineTo(-5, 5);
        });

        var footerY = kFooter + 9;
        previousButton = Ui.button(root, 24, footerY, 124, "‹  Previous", Ui.kCoral, function() turn(-1));
        nextButton = Ui.button(root, 652, footerY, 124, "Next  ›", Ui.kCoral, function() turn(1));
        dots = new Shape();
        root.addChild(dots);
        pageLabel = Ui.text(root, 300, kFooter + 10, 200, 12, Ui.kMuted, true);
        status = Ui.text(root, 300, 18, 360, 12, 0xffd9c0, false);
    }

    // A round button in the title bar that sends a window command.
    static function windowButton(x:Float, command:String, icon:Graphics->Void) {
        Ui.control(root, x, kTop / 2, function(g, hovered) {
            g.beginFill(hovered ? (command == "close_window" ? 0xe0555a : 0x3d5287) : 0x2f4170);
            g.drawCircle(0, 0, 14);
            g.endFill();
            g.lineStyle(2, 0xffffff);
            icon(g);
        }, function() fscommand(command, ""));
    }

    static function turn(by:Int):String {
        var target = index + by;
        if (target < 0 || target >= Pages.count()) {
            return "no page";
        }
        turned = true;
        show(target, by);
        fscommand("writereg", kRegistryValue + "|" + target);
        return "ok";
    }

    // Shows page `target`, sliding in from the side of `by` (0: at once).
    static function show(target:Int, by:Int) {
        if (leaving != null) {
            pages.removeChild(leaving);
        }
        leaving = by == 0 ? null : current;
        if (by == 0 && current != null) {
            pages.removeChild(current);
        }
        index = target;
        live = null;
        current = Pages.make(index, function(field) {
            live = field;
        }, save);
        pages.addChild(current);
        direction = by;
        slide = by == 0 ? 1.0 : 0.0;
        place();
        refreshLive();
        drawDots();
        fscommand("demo_page", Std.string(index));
    }

    static function step() {
        if (slide < 1.0) {
            slide = Math.min(1.0, slide + 1 / 12);
            place();
            if (slide == 1.0) {
                fscommand("demo_settled", Std.string(index));
            }
        }
    }

    static function place() {
        var eased = 1 - Math.pow(1 - slide, 3);
        current.x = direction * (1 - eased) * Pages.kWidth;
        if (leaving != null) {
            leaving.x = -direction * eased * Pages.kWidth;
            if (slide >= 1.0) {
                pages.removeChild(leaving);
                leaving = null;
            }
        }
    }

    static function drawDots() {
        var g = dots.graphics;
        g.clear();
        var count = Pages.count();
        var left = Pages.kWidth / 2 - (count - 1) * 8;
        for (i in 0...count) {
            g.beginFill(i == index ? Ui.kCoral : 0xc9bca8);
            g.drawCircle(left + i * 16, kFooter + 36, i == index ? 5 : 4);
            g.endFill();
        }
        previousButton.alpha = index == 0 ? 0.45 : 1.0;
        nextButton.alpha = index == count - 1 ? 0.45 : 1.0;
        pageLabel.text = index == 0 ? "COVER" : "PAGE " + index + " OF " + (count - 1);
        pageLabel.setTextFormat(centred(pageLabel));
    }

    static function centred(field:TextField) {
        var format = field.getTextFormat();
        format.align = flash.text.TextFormatAlign.CENTER;
        return format;
    }

    static function refreshLive() {
        if (live == null) {
            return;
        }
        live.text = switch (index) {
            case 3: placement != null ? placement : "";
            case 5: saveFolder != null ? "Pictures are saved to " + saveFolder : "";
            default: "";
        };
    }

    static function loadSaveFolder() {
        var loader = new URLLoader();
        loader.addEventListener(Event.COMPLETE, function(_) {
            var folder = StringTools.trim(Std.string(loader.data));
            saveFolder = folder == "" ? null : folder;
            refreshLive();
        });
        loader.addEventListener(IOErrorEvent.IO_ERROR, function(_) saveFolder = null);
        loader.load(Ui.fileUrl(kSaveFolderFile));
    }

    static function save(picture:String) {
        if (saveFolder == null) {
            say("This copy of the magazine does not know your pictures folder.");
            return;
        }
        savedAs = saveFolder + "/kest-" + picture;
        say("Saving " + picture + " ...");
        fscommand("CopyFile", "resource\\" + picture + "|" + savedAs);
    }

    // Every command with an answer answers through hdgetreg; the words tell
    // which one it was, anything else is the page read back.
    static function onReply(reply:String) {
        fscommand("demo_reply", reply);
        switch (reply) {
            case "copyfilesuccess": say("Saved as " + savedAs);
            case "copyfilefail": say("Could not save " + savedAs);
            case "regwritesuccess" | "regwritefail" | "regreadfail":
            default:
                var page = Std.parseInt(reply);
                // A page the reader turned to meanwhile wins over the stored one.
                if (!turned && page != null && page > 0 && page < Pages.count()) {
                    show(page, 0);
                    say("Welcome back: you were reading page " + page + ".");
                }
        }
    }

    static function say(message:String) {
        status.text = message;
        status.setTextFormat(centred(status));
        if (statusTimer != null) {
            statusTimer.stop();
        }
        statusTimer = haxe.Timer.delay(function() status.text = "", 6000);
    }
}
