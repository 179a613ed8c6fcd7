<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<!-- German texts, id-based like the English catalogue: the source is the English text, the translation what a German Mac user reads. -->
<context>
    <name></name>
    <message id="alerts.fan.notSpinning">
        <source>%1 is not spinning</source>
        <translation>%1 dreht sich nicht</translation>
    </message>
    <message id="alerts.fan.notSpinning.body">
        <source>Its speed reads %1 rpm although it is asked to turn. Check that nothing blocks it.</source>
        <translation>Die Drehzahl liegt bei %1 U/min, obwohl er sich drehen soll. Prüfen Sie, ob etwas ihn blockiert.</translation>
    </message>
    <message id="alerts.sensor.cpu">
        <source>CPU</source>
        <translation>CPU</translation>
    </message>
    <message id="alerts.sensor.gpu">
        <source>GPU</source>
        <translation>GPU</translation>
    </message>
    <message id="alerts.temperature.body">
        <source>Your alert threshold is %1.</source>
        <translation>Ihre Warnschwelle liegt bei %1.</translation>
    </message>
    <message id="alerts.temperature.hot">
        <source>%1 at %2</source>
        <translation>%1 bei %2</translation>
    </message>
    <message id="app.window.mainTitle">
        <source>Brisvane</source>
        <translation>Brisvane</translation>
    </message>
    <message id="curves.builtInNote">
        <source>“%1” is a built-in preset and can’t be changed. Customize a copy to edit its curve.</source>
        <translation>„%1“ ist eine integrierte Voreinstellung und kann nicht geändert werden. Passe eine Kopie an, um ihre Kurve zu bearbeiten.</translation>
    </message>
    <message id="curves.caption.safety">
        <source>Whatever the curve says, fans never run slower than macOS would run them, nor below the safety floor for the current temperature.</source>
        <translation>Was die Kurve auch sagt: Die Lüfter laufen nie langsamer, als macOS sie laufen lassen würde, und nie unter der Sicherheitsgrenze für die aktuelle Temperatur.</translation>
    </message>
    <message id="curves.chart.axisDegrees">
        <source>%1°</source>
        <translation>%1°</translation>
    </message>
    <message id="curves.chart.axisPercent">
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message id="curves.chart.callout.automaticSpeed">
        <source>%1 °C · %2% · macOS decides</source>
        <translation>%1 °C · %2 % · macOS entscheidet</translation>
    </message>
    <message id="curves.chart.callout.estimatedRPM">
        <source>%1 °C · %2% · about %3 RPM</source>
        <translation>%1 °C · %2 % · etwa %3 U/min</translation>
    </message>
    <message id="curves.chart.callout.temperatureAndPercent">
        <source>%1 °C · %2%</source>
        <translation>%1 °C · %2 %</translation>
    </message>
    <message id="curves.chart.deletePoint">
        <source>Delete Point</source>
        <translation>Punkt löschen</translation>
    </message>
    <message id="curves.chart.editableHelp">
        <source>Drag a point to reshape the curve. Click an empty spot to add a point.</source>
        <translation>Ziehe einen Punkt, um die Kurve zu formen. Klicke auf eine freie Stelle, um einen Punkt hinzuzufügen.</translation>
    </message>
    <message id="curves.chart.pointAccessibilityLabel">
        <source>Point %1</source>
        <translation>Punkt %1</translation>
    </message>
    <message id="curves.chart.pointAccessibilityValue">
        <source>%1 degrees, %2 percent</source>
        <translation>%1 Grad, %2 Prozent</translation>
    </message>
    <message id="curves.chart.readOnlyHelp">
        <source>Built-in curves can’t be edited.</source>
        <translation>Integrierte Kurven können nicht bearbeitet werden.</translation>
    </message>
    <message id="curves.customizeButton">
        <source>Customize a Copy</source>
        <translation>Kopie anpassen</translation>
    </message>
    <message id="curves.emptyState.createPreset">
        <source>Create Preset</source>
        <translation>Voreinstellung erstellen</translation>
    </message>
    <message id="curves.emptyState.description">
        <source>Create a preset to draw your own fan curve.</source>
        <translation>Erstelle eine Voreinstellung, um deine eigene Lüfterkurve zu zeichnen.</translation>
    </message>
    <message id="curves.emptyState.title">
        <source>No Presets</source>
        <translation>Keine Voreinstellungen</translation>
    </message>
    <message id="curves.field.percent">
        <source>Fan speed (%)</source>
        <translation>Lüfterleistung (%)</translation>
    </message>
    <message id="curves.field.temperature">
        <source>Temperature (°C)</source>
        <translation>Temperatur (°C)</translation>
    </message>
    <message id="curves.hint.howToEdit">
        <source>Drag points to move them, click the chart to add one, and double-click a point to delete it.</source>
        <translation>Ziehe Punkte, um sie zu verschieben, klicke in das Diagramm, um einen hinzuzufügen, und doppelklicke auf einen Punkt, um ihn zu löschen.</translation>
    </message>
    <message id="curves.newPresetName.base">
        <source>My Curve</source>
        <translation>Meine Kurve</translation>
    </message>
    <message id="curves.newPresetName.numbered">
        <source>My Curve %1</source>
        <translation>Meine Kurve %1</translation>
    </message>
    <message id="curves.fanPicker.allFans">
        <source>All fans</source>
        <translation>Alle Lüfter</translation>
    </message>
    <message id="curves.sourcePicker.appSetting">
        <source>App setting</source>
        <translation>App-Einstellung</translation>
    </message>
    <message id="curves.sourcePicker.cpu">
        <source>CPU average</source>
        <translation>CPU-Durchschnitt</translation>
    </message>
    <message id="curves.sourcePicker.gpu">
        <source>GPU average</source>
        <translation>GPU-Durchschnitt</translation>
    </message>
    <message id="curves.sourcePicker.hottestCore">
        <source>Hottest core</source>
        <translation>Heißester Kern</translation>
    </message>
    <message id="curves.fanPicker.title">
        <source>Fan</source>
        <translation>Lüfter</translation>
    </message>
    <message id="curves.fanPicker.unifyTitle">
        <source>Use one curve for all fans?</source>
        <translation>Eine Kurve für alle Lüfter?</translation>
    </message>
    <message id="curves.fanPicker.unifyMessage">
        <source>Every fan will follow the curve shown now. The other fans' own curves are replaced.</source>
        <translation>Alle Lüfter folgen dann der angezeigten Kurve. Die eigenen Kurven der anderen Lüfter werden ersetzt.</translation>
    </message>
    <message id="curves.fanPicker.unifyConfirm">
        <source>Use for All Fans</source>
        <translation>Für alle Lüfter verwenden</translation>
    </message>
    <message id="curves.sourcePicker.title">
        <source>Follows</source>
        <translation>Folgt</translation>
    </message>
    <message id="curves.selector.editing">
        <source>Editing</source>
        <translation>Bearbeiten</translation>
    </message>
    <message id="curves.toolbar.builtInSection">
        <source>Built-in</source>
        <translation>Integriert</translation>
    </message>
    <message id="curves.toolbar.newPreset">
        <source>New Preset</source>
        <translation>Neue Voreinstellung</translation>
    </message>
    <message id="curves.toolbar.presetPickerLabel">
        <source>Preset</source>
        <translation>Voreinstellung</translation>
    </message>
    <message id="curves.toolbar.yourPresetsSection">
        <source>Your Presets</source>
        <translation>Deine Voreinstellungen</translation>
    </message>
    <message id="dashboard.chart.axisDegrees">
        <source>%1°</source>
        <translation>%1°</translation>
    </message>
    <message id="dashboard.chart.axisMinutesAgo">
        <source>%1 min ago</source>
        <translation>vor %1 Min.</translation>
    </message>
    <message id="dashboard.chart.axisSecondsAgo">
        <source>%1 s ago</source>
        <translation>vor %1 s</translation>
    </message>
    <message id="dashboard.chart.cpuMaxLegend">
        <source>CPU max</source>
        <translation>CPU max.</translation>
    </message>
    <message id="dashboard.chart.fanSpeedSummary">
        <source>Fan speed history, %1: %2</source>
        <translation>Verlauf der Lüftergeschwindigkeit, %1: %2</translation>
    </message>
    <message id="dashboard.chart.fanSpeedSummaryEmpty">
        <source>Fan speed history, no readings yet</source>
        <translation>Verlauf der Lüftergeschwindigkeit, noch keine Messwerte</translation>
    </message>
    <message id="dashboard.chart.gpuMaxLegend">
        <source>GPU max</source>
        <translation>GPU max.</translation>
    </message>
    <message id="dashboard.chart.temperatureSummary">
        <source>Temperature history, %1: CPU max %2, GPU max %3</source>
        <translation>Temperaturverlauf, %1: CPU max. %2, GPU max. %3</translation>
    </message>
    <message id="dashboard.chart.temperatureSummaryEmpty">
        <source>Temperature history, no readings yet</source>
        <translation>Temperaturverlauf, noch keine Messwerte</translation>
    </message>
    <message id="dashboard.fans.differentSpeedsNote">
        <source>Fans can run at different speeds: each has its own range, and macOS may ask more of one than the other.</source>
        <translation>Lüfter können unterschiedlich schnell laufen: Jeder hat seinen eigenen Bereich, und macOS kann von einem mehr verlangen als vom anderen.</translation>
    </message>
    <message id="dashboard.fans.title">
        <source>Fans</source>
        <translation>Lüfter</translation>
    </message>
    <message id="dashboard.helperBanner.message">
        <source>The helper isn’t installed, so Brisvane can only show temperatures and fan speeds. Install it in Settings to control the fans.</source>
        <translation>Das Hilfsprogramm ist nicht installiert, daher kann Brisvane nur Temperaturen und Lüftergeschwindigkeiten anzeigen. Installiere es in den Einstellungen, um die Lüfter zu steuern.</translation>
    </message>
    <message id="dashboard.history.collectingSubtitle">
        <source>The charts appear after a few readings.</source>
        <translation>Die Diagramme erscheinen nach einigen Messwerten.</translation>
    </message>
    <message id="dashboard.history.collectingTitle">
        <source>Collecting Data…</source>
        <translation>Daten werden gesammelt …</translation>
    </message>
    <message id="dashboard.history.title">
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message id="dashboard.history.windowFallback">
        <source>Since launch</source>
        <translation>Seit dem Start</translation>
    </message>
    <message id="dashboard.history.windowLastMinute">
        <source>Last minute</source>
        <translation>Letzte Minute</translation>
    </message>
    <message id="dashboard.history.windowLastMinutes">
        <source>Last %1 minutes</source>
        <translation>Letzte %1 Minuten</translation>
    </message>
    <message id="dashboard.loading.subtitle">
        <source>Reading the temperature sensors and fans.</source>
        <translation>Temperatursensoren und Lüfter werden gelesen.</translation>
    </message>
    <message id="dashboard.loading.title">
        <source>Waiting for Sensors…</source>
        <translation>Warten auf Sensoren …</translation>
    </message>
    <message id="dashboard.temperature.averageAccessibleName">
        <source>%1 average</source>
        <translation>%1-Durchschnitt</translation>
    </message>
    <message id="dashboard.temperature.averageLabel">
        <source>Average</source>
        <translation>Durchschnitt</translation>
    </message>
    <message id="dashboard.temperature.cpuTitle">
        <source>CPU</source>
        <translation>CPU</translation>
    </message>
    <message id="dashboard.temperature.gpuTitle">
        <source>GPU</source>
        <translation>GPU</translation>
    </message>
    <message id="dashboard.temperature.hottestCoreCaption">
        <source>Hottest core: %1 °C</source>
        <translation>Heißester Kern: %1 °C</translation>
    </message>
    <message id="dashboard.temperature.sessionPeak">
        <source>Peak this session: %1 °C</source>
        <translation>Höchstwert seit dem Start: %1 °C</translation>
    </message>
    <message id="dashboard.unsupported.message">
        <source>Brisvane couldn’t find any fans it can read on this Mac.</source>
        <translation>Brisvane hat auf diesem Mac keine Lüfter gefunden, die es lesen kann.</translation>
    </message>
    <message id="dashboard.unsupported.title">
        <source>No Fans Found</source>
        <translation>Keine Lüfter gefunden</translation>
    </message>
    <message id="mainWindow.presetBar.hardwareFailure">
        <source>The fans did not accept manual control</source>
        <translation>Die Lüfter haben die manuelle Steuerung nicht angenommen</translation>
    </message>
    <message id="mainWindow.presetBar.helperMissing">
        <source>Install the helper to switch presets</source>
        <translation>Installiere das Hilfsprogramm, um Voreinstellungen zu wechseln</translation>
    </message>
    <message id="mainWindow.presetBar.morePresets">
        <source>More Presets</source>
        <translation>Weitere Voreinstellungen</translation>
    </message>
    <message id="mainWindow.section.curves">
        <source>Curves</source>
        <translation>Kurven</translation>
    </message>
    <message id="mainWindow.section.dashboard">
        <source>Dashboard</source>
        <translation>Übersicht</translation>
    </message>
    <message id="mainWindow.section.presets">
        <source>Presets</source>
        <translation>Voreinstellungen</translation>
    </message>
    <message id="mainWindow.section.settings">
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message id="mainWindow.sectionPicker.label">
        <source>Section</source>
        <translation>Bereich</translation>
    </message>
    <message id="menuBar.boost.caption">
        <source>Boost</source>
        <translation>Boost</translation>
    </message>
    <message id="menuBar.boost.percent">
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message id="menuBar.fan.parked">
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message id="menuBar.fan.rpmUnit">
        <source>RPM</source>
        <translation>U/min</translation>
    </message>
    <message id="menuBar.helperMissing.body">
        <source>Install the helper in Settings to let Brisvane control the fans.</source>
        <translation>Installiere das Hilfsprogramm in den Einstellungen, damit Brisvane die Lüfter steuern kann.</translation>
    </message>
    <message id="menuBar.helperMissing.title">
        <source>Helper Not Installed</source>
        <translation>Hilfsprogramm nicht installiert</translation>
    </message>
    <message id="menuBar.item.fanSpeed">
        <source>%1 rpm</source>
        <translation>%1 U/min</translation>
    </message>
    <message id="menuBar.item.temperature">
        <source>%1°</source>
        <translation>%1°</translation>
    </message>
    <message id="menuBar.openApplicationButton">
        <source>Open Brisvane</source>
        <translation>Brisvane öffnen</translation>
    </message>
    <message id="menuBar.openSettingsButton">
        <source>Open Settings</source>
        <translation>Einstellungen öffnen</translation>
    </message>
    <message id="menuBar.panel.title">
        <source>Brisvane Menu</source>
        <translation>Brisvane-Menü</translation>
    </message>
    <message id="menuBar.preset.caption">
        <source>Preset</source>
        <translation>Voreinstellung</translation>
    </message>
    <message id="menuBar.quitButton">
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message id="menuBar.quitButton.help">
        <source>Quit Brisvane and hand the fans back to macOS</source>
        <translation>Brisvane beenden und die Lüfter wieder macOS überlassen</translation>
    </message>
    <message id="menuBar.temperature.cpu">
        <source>CPU</source>
        <translation>CPU</translation>
    </message>
    <message id="menuBar.temperature.degrees">
        <source>%1 °C</source>
        <translation>%1 °C</translation>
    </message>
    <message id="menuBar.temperature.gpu">
        <source>GPU</source>
        <translation>GPU</translation>
    </message>
    <message id="menuBar.waitingForSensors">
        <source>Waiting for sensors…</source>
        <translation>Warten auf Sensoren …</translation>
    </message>
    <message id="preset.builtIn.cool.name">
        <source>Cool</source>
        <translation>Kühl</translation>
    </message>
    <message id="preset.builtIn.fullSpeed.name">
        <source>Full Speed</source>
        <translation>Volle Leistung</translation>
    </message>
    <message id="presets.card.activeBadge">
        <source>Active</source>
        <translation>Aktiv</translation>
    </message>
    <message id="presets.card.automaticCaption">
        <source>macOS controls the fans</source>
        <translation>macOS steuert die Lüfter</translation>
    </message>
    <message id="presets.card.automaticHelp">
        <source>Leave the fans to macOS, as if Brisvane weren’t running.</source>
        <translation>Überlasse die Lüfter macOS, als liefe Brisvane nicht.</translation>
    </message>
    <message id="presets.card.builtInCurveCaption">
        <source>Built-in curve</source>
        <translation>Integrierte Kurve</translation>
    </message>
    <message id="presets.card.coolCaption">
        <source>Quiet when idle, stronger as it warms up</source>
        <translation>Leise im Leerlauf, kräftiger bei Wärme</translation>
    </message>
    <message id="presets.card.sourceCaption">
        <source>%1 · follows %2</source>
        <translation>%1 · folgt %2</translation>
    </message>
    <message id="presets.card.customCurveCaption">
        <source>Your own curve</source>
        <translation>Deine eigene Kurve</translation>
    </message>
    <message id="presets.card.fullSpeedCaption">
        <source>Every fan at maximum</source>
        <translation>Alle Lüfter auf Maximum</translation>
    </message>
    <message id="presets.card.limitReached">
        <source>Preset Limit Reached</source>
        <translation>Höchstzahl erreicht</translation>
    </message>
    <message id="presets.card.newPreset">
        <source>New Preset</source>
        <translation>Neue Voreinstellung</translation>
    </message>
    <message id="presets.contextMenu.activate">
        <source>Activate</source>
        <translation>Aktivieren</translation>
    </message>
    <message id="presets.contextMenu.delete">
        <source>Delete…</source>
        <translation>Löschen …</translation>
    </message>
    <message id="presets.contextMenu.duplicate">
        <source>Duplicate</source>
        <translation>Duplizieren</translation>
    </message>
    <message id="presets.contextMenu.rename">
        <source>Rename…</source>
        <translation>Umbenennen …</translation>
    </message>
    <message id="presets.delete.confirm">
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message id="presets.delete.message">
        <source>Its curve is deleted too. This can’t be undone.</source>
        <translation>Ihre Kurve wird ebenfalls gelöscht. Das kann nicht widerrufen werden.</translation>
    </message>
    <message id="presets.delete.titleFallback">
        <source>Delete this preset?</source>
        <translation>Diese Voreinstellung löschen?</translation>
    </message>
    <message id="presets.delete.titleNamed">
        <source>Delete “%1”?</source>
        <translation>„%1“ löschen?</translation>
    </message>
    <message id="presets.dialog.cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="presets.contextMenu.export">
        <source>Export…</source>
        <translation>Exportieren…</translation>
    </message>
    <message id="presets.contextMenu.import">
        <source>Import…</source>
        <translation>Importieren…</translation>
    </message>
    <message id="presets.export.dialogTitle">
        <source>Export Preset</source>
        <translation>Voreinstellung exportieren</translation>
    </message>
    <message id="presets.export.failedTitle">
        <source>The preset could not be exported</source>
        <translation>Die Voreinstellung konnte nicht exportiert werden</translation>
    </message>
    <message id="presets.export.replace">
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message id="presets.export.replaceMessage">
        <source>A file of this name is already in this folder. Replacing it overwrites what it holds.</source>
        <translation>In diesem Ordner gibt es schon eine Datei dieses Namens. Wird sie ersetzt, geht ihr Inhalt verloren.</translation>
    </message>
    <message id="presets.export.replaceTitle">
        <source>Replace “%1”?</source>
        <translation>„%1“ ersetzen?</translation>
    </message>
    <message id="presets.file.nameFilter">
        <source>Preset files (*.json)</source>
        <translation>Voreinstellungsdateien (*.json)</translation>
    </message>
    <message id="presets.fileError.ok">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="presets.import.dialogTitle">
        <source>Import Presets</source>
        <translation>Voreinstellungen importieren</translation>
    </message>
    <message id="presets.import.failedTitle">
        <source>The presets could not be imported</source>
        <translation>Die Voreinstellungen konnten nicht importiert werden</translation>
    </message>
    <message id="presets.import.limitReached">
        <source>Preset limit reached: there can be at most %1 presets of your own.</source>
        <translation>Höchstzahl an Voreinstellungen erreicht: Es gibt höchstens %1 eigene Voreinstellungen.</translation>
    </message>
    <message id="presets.duplicate.name">
        <source>%1 Copy</source>
        <translation>%1 Kopie</translation>
    </message>
    <message id="presets.explainer">
        <source>Choose how the fans run: pick a preset to follow its curve, or Automatic to leave them to macOS. Drag the cards to change their order.</source>
        <translation>Lege fest, wie die Lüfter laufen: Wähle eine Voreinstellung, um ihrer Kurve zu folgen, oder „Automatisch“, um sie macOS zu überlassen. Ziehe die Karten, um ihre Reihenfolge zu ändern.</translation>
    </message>
    <message id="presets.limitReachedHelp">
        <source>You can have up to %1 presets of your own. Delete one to make room.</source>
        <translation>Du kannst bis zu %1 eigene Voreinstellungen haben. Lösche eine, um Platz zu schaffen.</translation>
    </message>
    <message id="presets.newPresetDefaultName">
        <source>New Preset</source>
        <translation>Neue Voreinstellung</translation>
    </message>
    <message id="presets.rename.confirm">
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message id="presets.rename.fieldLabel">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="presets.rename.title">
        <source>Rename Preset</source>
        <translation>Voreinstellung umbenennen</translation>
    </message>
    <message id="settings.about.applicationName">
        <source>Brisvane</source>
        <translation>Brisvane</translation>
    </message>
    <message id="settings.about.helperVersionLabel">
        <source>Helper version</source>
        <translation>Version des Hilfsprogramms</translation>
    </message>
    <message id="settings.about.optimisedForCaption">
        <source>Optimized for Macs with Apple silicon</source>
        <translation>Optimiert für Mac-Computer mit Apple Chips</translation>
    </message>
    <message id="settings.about.sectionTitle">
        <source>About</source>
        <translation>Über Brisvane</translation>
    </message>
    <message id="settings.about.versionLabel">
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message id="settings.alerts.fans.subtitle">
        <source>A notification when a fan stops turning although it should.</source>
        <translation>Eine Mitteilung, wenn ein Lüfter stehen bleibt, obwohl er sich drehen sollte.</translation>
    </message>
    <message id="settings.alerts.fans.title">
        <source>Fan alerts</source>
        <translation>Lüfterwarnungen</translation>
    </message>
    <message id="settings.alerts.sectionTitle">
        <source>Alerts</source>
        <translation>Warnungen</translation>
    </message>
    <message id="settings.alerts.temperature.off">
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message id="settings.alerts.temperature.subtitle">
        <source>A notification when the hottest die stays at this temperature or above for 10 seconds.</source>
        <translation>Eine Mitteilung, wenn der heißeste Chip 10 Sekunden lang diese Temperatur oder mehr erreicht.</translation>
    </message>
    <message id="settings.alerts.temperature.title">
        <source>Temperature alert</source>
        <translation>Temperaturwarnung</translation>
    </message>
    <message id="settings.fanBoost.sectionTitle">
        <source>Fan Control</source>
        <translation>Lüftersteuerung</translation>
    </message>
    <message id="settings.fanBoost.temperatureSource.average">
        <source>Average</source>
        <translation>Durchschnitt</translation>
    </message>
    <message id="settings.fanBoost.temperatureSource.hottest">
        <source>Hottest core</source>
        <translation>Heißester Kern</translation>
    </message>
    <message id="settings.fanBoost.temperatureSource.subtitle">
        <source>The temperature the fan curves follow: the CPU and GPU average, or the hottest single core.</source>
        <translation>Die Temperatur, der die Lüfterkurven folgen: der Durchschnitt von CPU und GPU oder der heißeste einzelne Kern.</translation>
    </message>
    <message id="settings.fanBoost.temperatureSource.title">
        <source>Temperature source</source>
        <translation>Temperaturquelle</translation>
    </message>
    <message id="settings.general.hideDockIcon.subtitle">
        <source>Brisvane stays in the menu bar after you close its window.</source>
        <translation>Brisvane bleibt in der Menüleiste, nachdem du sein Fenster geschlossen hast.</translation>
    </message>
    <message id="settings.general.hideDockIcon.title">
        <source>Hide Dock icon when the window is closed</source>
        <translation>Dock-Symbol ausblenden, wenn das Fenster geschlossen ist</translation>
    </message>
    <message id="settings.general.launchAtLogin.error.register">
        <source>Brisvane could not be added to the apps that open at login: %1</source>
        <translation>Brisvane konnte nicht zu den Apps hinzugefügt werden, die bei der Anmeldung geöffnet werden: %1</translation>
    </message>
    <message id="settings.general.launchAtLogin.error.unregister">
        <source>Brisvane could not be removed from the apps that open at login: %1</source>
        <translation>Brisvane konnte nicht aus den Apps entfernt werden, die bei der Anmeldung geöffnet werden: %1</translation>
    </message>
    <message id="settings.general.launchAtLogin.subtitle">
        <source>Start Brisvane automatically when you log in.</source>
        <translation>Brisvane automatisch starten, wenn du dich anmeldest.</translation>
    </message>
    <message id="settings.general.launchAtLogin.title">
        <source>Launch at login</source>
        <translation>Bei der Anmeldung öffnen</translation>
    </message>
    <message id="settings.general.sectionTitle">
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message id="settings.helper.error.adminScriptFailed">
        <source>The administrator script failed: %1</source>
        <translation>Das Administratorskript ist fehlgeschlagen: %1</translation>
    </message>
    <message id="settings.helper.error.filesNotInPlace">
        <source>The installer finished, but the helper's files are not in place.</source>
        <translation>Die Installation wurde beendet, aber die Dateien des Hilfsprogramms sind nicht vorhanden.</translation>
    </message>
    <message id="settings.helper.error.helperNotAnswering">
        <source>The helper was installed but does not answer.</source>
        <translation>Das Hilfsprogramm wurde installiert, antwortet aber nicht.</translation>
    </message>
    <message id="settings.helper.error.resourcesMissing">
        <source>The helper files are missing from the app. Reinstall Brisvane and try again.</source>
        <translation>Die Dateien des Hilfsprogramms fehlen in der App. Installiere Brisvane neu und versuche es noch einmal.</translation>
    </message>
    <message id="settings.helper.installButton">
        <source>Install Helper</source>
        <translation>Hilfsprogramm installieren</translation>
    </message>
    <message id="settings.helper.outdatedNotice">
        <source>The installed helper is outdated. Reinstall it to update.</source>
        <translation>Das installierte Hilfsprogramm ist veraltet. Installiere es neu, um es zu aktualisieren.</translation>
    </message>
    <message id="settings.helper.reinstallButton">
        <source>Reinstall</source>
        <translation>Neu installieren</translation>
    </message>
    <message id="settings.helper.reinstallHelperButton">
        <source>Reinstall Helper</source>
        <translation>Hilfsprogramm neu installieren</translation>
    </message>
    <message id="settings.helper.safety.automaticRelease">
        <source>If Brisvane quits, crashes or the Mac goes to sleep, the fans return to macOS within seconds.</source>
        <translation>Wenn Brisvane beendet wird, abstürzt oder der Mac in den Ruhezustand geht, übernimmt macOS die Lüfter innerhalb von Sekunden wieder.</translation>
    </message>
    <message id="settings.helper.safety.boostOnly">
        <source>The helper only ever speeds fans up: it never runs a fan slower than macOS asks for.</source>
        <translation>Das Hilfsprogramm macht Lüfter nur schneller: Es lässt nie einen Lüfter langsamer laufen, als macOS verlangt.</translation>
    </message>
    <message id="settings.helper.safety.macOSProtection">
        <source>A temperature safety floor keeps the fans fast enough however low a curve is set.</source>
        <translation>Eine Sicherheitsgrenze für die Temperatur hält die Lüfter schnell genug, wie niedrig eine Kurve auch eingestellt ist.</translation>
    </message>
    <message id="settings.helper.safety.title">
        <source>How the helper keeps your Mac safe</source>
        <translation>So schützt das Hilfsprogramm deinen Mac</translation>
    </message>
    <message id="settings.helper.sectionTitle">
        <source>Helper</source>
        <translation>Hilfsprogramm</translation>
    </message>
    <message id="settings.helper.status.installed.description">
        <source>The helper is installed and sets the fan speeds your preset asks for.</source>
        <translation>Das Hilfsprogramm ist installiert und stellt die Lüftergeschwindigkeiten ein, die deine Voreinstellung verlangt.</translation>
    </message>
    <message id="settings.helper.status.installed.title">
        <source>Helper installed</source>
        <translation>Hilfsprogramm installiert</translation>
    </message>
    <message id="settings.helper.status.notInstalled.description">
        <source>To set fan speeds, Brisvane needs a small helper that you install once with your administrator password.</source>
        <translation>Um Lüftergeschwindigkeiten einzustellen, braucht Brisvane ein kleines Hilfsprogramm, das du einmal mit deinem Administratorpasswort installierst.</translation>
    </message>
    <message id="settings.helper.status.notInstalled.title">
        <source>Helper not installed</source>
        <translation>Hilfsprogramm nicht installiert</translation>
    </message>
    <message id="settings.helper.status.unreachable.description">
        <source>The helper is installed but doesn’t respond. Reinstalling it usually fixes this.</source>
        <translation>Das Hilfsprogramm ist installiert, antwortet aber nicht. Eine Neuinstallation behebt das meist.</translation>
    </message>
    <message id="settings.helper.status.unreachable.title">
        <source>Helper not responding</source>
        <translation>Hilfsprogramm antwortet nicht</translation>
    </message>
    <message id="settings.helper.uninstallButton">
        <source>Uninstall</source>
        <translation>Deinstallieren</translation>
    </message>
    <message id="settings.helper.unlockingCaption">
        <source>Taking control of the fans…</source>
        <translation>Steuerung der Lüfter wird übernommen …</translation>
    </message>
    <message id="shared.fan.left">
        <source>Left fan</source>
        <translation>Linker Lüfter</translation>
    </message>
    <message id="shared.fan.numbered">
        <source>Fan %1</source>
        <translation>Lüfter %1</translation>
    </message>
    <message id="shared.fan.right">
        <source>Right fan</source>
        <translation>Rechter Lüfter</translation>
    </message>
    <message id="shared.mode.automatic">
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message id="shared.mode.boosting">
        <source>Boosting</source>
        <translation>Boost aktiv</translation>
    </message>
    <message id="shared.mode.controlUnavailable">
        <source>Fan control unavailable</source>
        <translation>Lüftersteuerung nicht verfügbar</translation>
    </message>
    <message id="shared.mode.startingBoost">
        <source>Starting boost…</source>
        <translation>Boost wird gestartet …</translation>
    </message>
</context>
</TS>
