// A movie's links (getURL, navigateToURL) go to the host, which opens them
// on the desktop; the page stays. Ruffle opens a link to a window with
// window.open, and one with variables (as every navigateToURL has) by
// submitting a form; one without either navigates the page, which the host
// stops and follows itself.
"use strict";

window.kestLinks = (() => {
    // `tell(kind, ...texts)` posts a message to the host.
    function sendTo(tell) {
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
    }

    return { sendTo };
})();
